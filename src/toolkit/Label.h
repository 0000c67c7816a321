// Label - one line of text at a position, with font, scale, colour, drop shadow, alignment and format.
#pragma once

#include <memory>
#include <string>

#include "platform/Font.h"
#include "shell/Color.h"
#include "shell/Shadow.h"
#include "shell/TextFormat.h"

class TLabel {
public:
    // Values of alignment: which point of the text (x, y) names. Any other value draws as ALIGN_LEFT.
    enum : int {
        ALIGN_LEFT = 0,
        ALIGN_RIGHT = 1,
        ALIGN_CENTRE_ALL = 2,
        ALIGN_CENTRE_HORIZ = 3,
        ALIGN_CENTRE_VERT = 4,
    };

    // textRaw = text, formatted through a new string format; alignment left, no colour or shadow, camera on.
    static std::shared_ptr<TLabel> Create(const std::string& text, float x, float y,
                                          const TImageFontPtr& imageFont,
                                          float scaleX = 1.0f, float scaleY = 1.0f);
    TLabel();
    virtual ~TLabel();

    // Shadow pass, then text pass; leaves scale 1.0, white at alpha 1.0 and the built-in font behind.
    virtual int Draw();
    // The point the text's top-left is drawn at, in the label's coordinates (before the camera):
    // x, y moved by the alignment and the offsets.
    void GetAlignedPosition(float& dx, float& dy);
    // Font height times the label's scale, and the game's zoom unless ignoreCamera or the camera is off.
    virtual float GetHeight(int ignoreCamera);
    // Width of text, scaled like GetHeight.
    virtual float GetWidth(int ignoreCamera);
    // The width the label would have showing this text instead; text and textRaw are left as they were.
    virtual float GetPotentialWidth(const std::string& candidate, int ignoreCamera);
    // A new colour of the label's own; a shared instance is let go, not changed.
    virtual int SetColor(int r, int g, int b, float alpha);
    // Changes the format and re-derives text from textRaw at once.
    virtual int SetFormatMode(int mode, int param);
    virtual int SetShadow(float x, float y, float alpha);
    // Shows the formatted argument for now; textRaw is kept, so UpdateText brings it back.
    virtual int SetText(const std::string& newText);
    // Sets textRaw and shows it formatted.
    virtual int SetTextRaw(const std::string& newText);
    // Re-derives text from textRaw.
    virtual int UpdateText();

    int alignment = ALIGN_LEFT;
    // 1: in a language written right to left, stands where the mirror of the English screen puts it;
    // 0: stays where English puts it (the sums and the answer, written left to right everywhere).
    int mirrored = 1;
    TColorPtr color;          // null: the current drawing colour
    TImageFontPtr imageFont;  // null: whatever font is selected when drawing
    float fontSize = 10.0f;                 // nominal only; nothing reads it
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    TShadowPtr shadow;
    std::string text;                       // what is drawn and measured
    TTextFormatPtr textFormat;
    std::string textRaw;                    // as set, before formatting
    int useRendererCamera = 1;              // 1: game coordinates through the zoom; 0: display coordinates
    float x = 0.0f;
    float y = 0.0f;

protected:
    // What Create does after construction; shared with subclasses' own Create.
    void InitLabel(const std::string& newText, float newX, float newY, const TImageFontPtr& font,
                   float newScaleX, float newScaleY);
};

using TLabelPtr = std::shared_ptr<TLabel>;

// Narrows the label (its x scale, so its line and height stay) to fit room, measured without the camera:
// a translated text longer than its room fits it, and the written ones keep their designed layout.
void FitLabelWidth(TLabel& label, float room);
