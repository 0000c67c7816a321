// TColor - an RGB colour with alpha that can be pushed into the drawing state and taken out again.
#pragma once

#include <memory>

class TColor;
using TColorPtr = std::shared_ptr<TColor>;

class TColor {
public:
    int R = 0;
    int G = 0;
    int B = 0;
    float alpha = 1.0f;

    static TColorPtr Create(int r, int g, int b, float alpha);

    // SetColor with R, G, B, then SetAlpha with alpha.
    int Apply();
    // SetColor only; the drawing alpha is left as it is.
    int ApplyNoAlpha();
    // Value copy of the source's four fields; the two objects stay separate.
    int Copy(const TColorPtr& source);
    int Get(int& r, int& g, int& b) const;
    int GetFull(int& r, int& g, int& b, float& a) const;
    // Back to the neutral drawing state every drawer leaves behind: white at alpha 1.0.
    static int Restore();
    int Set(int r, int g, int b, float a);
};
