// Input - window events turned into the polled state the game reads: per-key held flags and hit counters,
// the typed-character queue, the mouse table and the close request.
#include "platform/Input.h"

#include "platform/Display.h"
#include "platform/input/InputTesting.h"
#include "platform/window/WindowSystem.h"

#include <SDL.h>

#include <array>

namespace {
constexpr int KEY_COUNT = 256;
constexpr int QUEUE_SIZE = 256;

struct TInputState {
    std::array<bool, KEY_COUNT> keyHeld{};
    std::array<int, KEY_COUNT> keyHits{};
    // Hits that came while a Ctrl key was down, so a chord pressed and let go within one frame counts.
    std::array<int, KEY_COUNT> ctrlHits{};
    std::array<bool, 4> buttonHeld{};
    std::array<int, 4> buttonHits{};
    int mouseX = 0, mouseY = 0;
    int wheel = 0;
    std::array<int, QUEUE_SIZE> queue{};
    int queueHead = 0, queueCount = 0;
    bool closeRequested = false;
} in;
// Between BeginFrameInput and EndFrameInput: the frame has read the window's events already.
bool frameInputRead = false;

bool CtrlHeld() { return in.keyHeld[KEY_LCONTROL] || in.keyHeld[KEY_RCONTROL]; }

// The state alone, without reading events first: the focus handlers run inside the event loop, and
// polling from there would handle (and then wipe) every event queued behind the focus change.
void ClearKeyState()
{
    in.keyHeld.fill(false);
    in.keyHits.fill(0);
    in.ctrlHits.fill(0);
    in.queueHead = in.queueCount = 0;
}

void ClearMouseState()
{
    in.buttonHeld.fill(false);
    in.buttonHits.fill(0);
    in.wheel = 0;
}

// A key going down; ctrl tells whether a Ctrl key was down as it was pressed.
void KeyPressed(int key, bool repeat, bool ctrl)
{
    if (key < 0 || key >= KEY_COUNT) return;
    // Auto-repeat and a key already held add no hit.
    if (!repeat && !in.keyHeld[key]) {
        ++in.keyHits[key];
        if (ctrl) ++in.ctrlHits[key];
    }
    in.keyHeld[key] = true;
}

void QueueChar(int c)
{
    // A full queue drops what is typed after it, as a keyboard buffer does.
    if (in.queueCount >= QUEUE_SIZE) return;
    in.queue[(in.queueHead + in.queueCount) % QUEUE_SIZE] = c;
    ++in.queueCount;
}

// SDL key symbols to the virtual key numbers the game compares against.
int TranslateKey(SDL_Keycode sym)
{
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return 112 + (sym - SDLK_F1);
    switch (sym) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_KP_0: return 96;
    case SDLK_KP_1: return 97;
    case SDLK_KP_2: return 98;
    case SDLK_KP_3: return 99;
    case SDLK_KP_4: return 100;
    case SDLK_KP_5: return 101;
    case SDLK_KP_6: return 102;
    case SDLK_KP_7: return 103;
    case SDLK_KP_8: return 104;
    case SDLK_KP_9: return 105;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_LSHIFT: return 160;
    case SDLK_RSHIFT: return 161;
    case SDLK_LCTRL: return 162;
    case SDLK_RCTRL: return 163;
    case SDLK_LALT: return 164;
    case SDLK_RALT: return 165;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
    }
}

int TranslateButton(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

void HandleSdlEvent(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_QUIT:
        ProcessInputEvent({TInputEvent::Close});
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // The window system may have lost or scaled what the window showed: draw it again.
            InvalidatePresentedFrame();
            break;
        default:
            break;
        }
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) ProcessInputEvent({TInputEvent::Close});
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) ProcessInputEvent({TInputEvent::FocusLost});
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) ProcessInputEvent({TInputEvent::FocusGained});
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int key = TranslateKey(e.key.keysym.sym);
        const bool down = e.type == SDL_KEYDOWN;
        // The modifiers as they were when the key went down, whatever has happened since.
        const bool ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
        if (key && down)
            KeyPressed(key, e.key.repeat != 0, ctrl || CtrlHeld());
        else if (key)
            ProcessInputEvent({TInputEvent::KeyUp, key});
        // Control characters never arrive as text: queue them from the key itself, auto-repeat included,
        // as a keyboard driver's character stream would.
        if (down) {
            const SDL_Keycode sym = e.key.keysym.sym;
            if (sym == SDLK_BACKSPACE) ProcessInputEvent({TInputEvent::Char, 8});
            else if (sym == SDLK_TAB) ProcessInputEvent({TInputEvent::Char, 9});
            else if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) ProcessInputEvent({TInputEvent::Char, 13});
            else if (sym == SDLK_ESCAPE) ProcessInputEvent({TInputEvent::Char, 27});
            // Ctrl+A to Ctrl+Z give the control characters 1 to 26, as a terminal's keyboard does.
            // Not with Alt as well: some layouts type their third-level characters with Ctrl+Alt.
            else if (sym >= SDLK_a && sym <= SDLK_z && ctrl && !(e.key.keysym.mod & KMOD_ALT))
                ProcessInputEvent({TInputEvent::Char, int(sym - SDLK_a) + 1});
        }
        break;
    }
    case SDL_TEXTINPUT: {
        // Text arrives as UTF-8; the queue holds one character per entry.
        const auto* p = reinterpret_cast<const unsigned char*>(e.text.text);
        while (*p) {
            int cp = *p, extra = 0;
            if (cp >= 0xF0) { cp &= 0x07; extra = 3; }
            else if (cp >= 0xE0) { cp &= 0x0F; extra = 2; }
            else if (cp >= 0xC0) { cp &= 0x1F; extra = 1; }
            ++p;
            for (int k = 0; k < extra && (*p & 0xC0) == 0x80; ++k, ++p) cp = (cp << 6) | (*p & 0x3F);
            ProcessInputEvent({TInputEvent::Char, cp});
        }
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int b = TranslateButton(e.button.button);
        TInputEvent ev{e.type == SDL_MOUSEBUTTONDOWN ? TInputEvent::MouseDown : TInputEvent::MouseUp, b};
        WindowToGame(e.button.x, e.button.y, ev.x, ev.y);
        if (b) ProcessInputEvent(ev);
        break;
    }
    case SDL_MOUSEMOTION: {
        TInputEvent ev{TInputEvent::MouseMove};
        WindowToGame(e.motion.x, e.motion.y, ev.x, ev.y);
        ProcessInputEvent(ev);
        break;
    }
    case SDL_MOUSEWHEEL:
        in.wheel += e.wheel.y;
        break;
    default:
        break;
    }
}
}

void ProcessInputEvent(const TInputEvent& e)
{
    const bool keyInRange = e.code >= 0 && e.code < KEY_COUNT;
    const bool buttonInRange = e.code >= 1 && e.code <= 3;
    switch (e.type) {
    case TInputEvent::KeyDown:
        KeyPressed(e.code, e.repeat, CtrlHeld());
        break;
    case TInputEvent::KeyUp:
        if (keyInRange) in.keyHeld[e.code] = false;
        break;
    case TInputEvent::Char:
        if (e.code > 0) QueueChar(e.code);
        break;
    case TInputEvent::MouseDown:
        in.mouseX = e.x;
        in.mouseY = e.y;
        if (!buttonInRange) break;
        if (!in.buttonHeld[e.code]) ++in.buttonHits[e.code];
        in.buttonHeld[e.code] = true;
        break;
    case TInputEvent::MouseUp:
        in.mouseX = e.x;
        in.mouseY = e.y;
        if (buttonInRange) in.buttonHeld[e.code] = false;
        break;
    case TInputEvent::MouseMove:
        in.mouseX = e.x;
        in.mouseY = e.y;
        break;
    case TInputEvent::FocusLost:
    case TInputEvent::FocusGained:
        // Key-up events for keys released while another window had the focus never arrive.
        ClearKeyState();
        ClearMouseState();
        break;
    case TInputEvent::Close:
        in.closeRequested = true;
        break;
    }
}

void PollInputEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleSdlEvent(e);
    if (WindowDestroyedFromOutside()) ProcessInputEvent({TInputEvent::Close});
}

namespace {
void PollUnlessFrameRead()
{
    if (!frameInputRead)
        PollInputEvents();
}
}

void BeginFrameInput()
{
    PollInputEvents();
    frameInputRead = true;
}

void EndFrameInput() { frameInputRead = false; }

int KeyWasHit(int key)
{
    PollUnlessFrameRead();
    if (key < 0 || key >= KEY_COUNT) return 0;
    const int hits = in.keyHits[key];
    in.keyHits[key] = 0;
    in.ctrlHits[key] = 0;
    return hits;
}

int CtrlChordWasHit(int key)
{
    PollUnlessFrameRead();
    if (key < 0 || key >= KEY_COUNT) return 0;
    const bool withCtrl = in.ctrlHits[key] > 0;
    const bool hit = KeyWasHit(key) > 0;
    return hit && (withCtrl || CtrlHeld()) ? 1 : 0;
}

int KeyIsDown(int key)
{
    PollUnlessFrameRead();
    return key >= 0 && key < KEY_COUNT && in.keyHeld[key] ? 1 : 0;
}

int NextTypedChar()
{
    PollUnlessFrameRead();
    if (in.queueCount == 0) return 0;
    const int c = in.queue[in.queueHead];
    in.queueHead = (in.queueHead + 1) % QUEUE_SIZE;
    --in.queueCount;
    return c;
}

void ClearKeys()
{
    PollUnlessFrameRead();
    ClearKeyState();
}

int MouseButtonWasHit(int button)
{
    PollUnlessFrameRead();
    if (button < 1 || button > 3) return 0;
    const int hits = in.buttonHits[button];
    in.buttonHits[button] = 0;
    return hits;
}

void ClearMouse()
{
    PollUnlessFrameRead();
    ClearMouseState();
}

int MousePosX()
{
    PollUnlessFrameRead();
    return in.mouseX;
}

int MousePosY()
{
    PollUnlessFrameRead();
    return in.mouseY;
}

int AppTerminateRequested()
{
    PollUnlessFrameRead();
    const bool requested = in.closeRequested;
    in.closeRequested = false;
    return requested ? 1 : 0;
}

void InjectKeyDown(int key) { ProcessInputEvent({TInputEvent::KeyDown, key}); }
void InjectKeyUp(int key) { ProcessInputEvent({TInputEvent::KeyUp, key}); }
void InjectKeyPress(int key)
{
    InjectKeyDown(key);
    InjectKeyUp(key);
}
void InjectTypedChar(int c) { ProcessInputEvent({TInputEvent::Char, c}); }
void InjectMouseClick(int button)
{
    TInputEvent down{TInputEvent::MouseDown, button};
    down.x = in.mouseX;
    down.y = in.mouseY;
    ProcessInputEvent(down);
    TInputEvent up = down;
    up.type = TInputEvent::MouseUp;
    ProcessInputEvent(up);
}
void InjectMouseMove(int x, int y)
{
    TInputEvent ev{TInputEvent::MouseMove};
    ev.x = x;
    ev.y = y;
    ProcessInputEvent(ev);
}
