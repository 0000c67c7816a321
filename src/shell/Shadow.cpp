// TShadow - black at the shadow's alpha; the drawer offsets its own position by X and Y.
#include "shell/Shadow.h"

#include "platform/Platform.h"

TShadowPtr TShadow::Create(float x, float y, float alpha)
{
    auto shadow = std::make_shared<TShadow>();
    shadow->Init(x, y, alpha);
    return shadow;
}

int TShadow::Init(float x, float y, float a)
{
    X = x;
    Y = y;
    alpha = a;
    return 0;
}

int TShadow::Copy(const TShadowPtr& source)
{
    return Init(source->X, source->Y, source->alpha);
}

int TShadow::Apply()
{
    SetColor(0, 0, 0);
    SetAlpha(alpha);
    return 0;
}

int TShadow::Restore()
{
    SetColor(255, 255, 255);
    SetAlpha(1.0f);
    return 0;
}
