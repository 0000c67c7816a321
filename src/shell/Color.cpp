// TColor - pushes a colour into the drawing state and restores the neutral white afterwards.
#include "shell/Color.h"

#include "platform/Platform.h"

TColorPtr TColor::Create(int r, int g, int b, float alpha)
{
    auto color = std::make_shared<TColor>();
    color->Set(r, g, b, alpha);
    return color;
}

int TColor::Apply()
{
    SetColor(R, G, B);
    SetAlpha(alpha);
    return 0;
}

int TColor::ApplyNoAlpha()
{
    SetColor(R, G, B);
    return 0;
}

int TColor::Copy(const TColorPtr& source)
{
    R = source->R;
    G = source->G;
    B = source->B;
    alpha = source->alpha;
    return 0;
}

int TColor::Get(int& r, int& g, int& b) const
{
    r = R;
    g = G;
    b = B;
    return 0;
}

int TColor::GetFull(int& r, int& g, int& b, float& a) const
{
    Get(r, g, b);
    a = alpha;
    return 0;
}

int TColor::Restore()
{
    // Nothing is saved on Apply: every drawer leaves white at full alpha behind, so that is what comes back.
    SetColor(255, 255, 255);
    SetAlpha(1.0f);
    return 0;
}

int TColor::Set(int r, int g, int b, float a)
{
    R = r;
    G = g;
    B = b;
    alpha = a;
    return 0;
}
