// TGame - the screen stack, the keys that work on every screen, music and sound effects.
#include "shell/Game.h"

#include <vector>

#include "platform/Language.h"
#include "platform/Platform.h"
#include "shell/Access.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"

TGamePtr TGame::Create()
{
    return std::make_shared<TGame>();
}

int TGame::AddScreenToStack(const TScreenPtr& screen)
{
    screenStack.AddLast(screen);
    currentScreen = screen;
    return 0;
}

int TGame::ChangeScreen(const TScreenPtr& screen)
{
    RemoveScreenFromStack(currentScreen);
    AddScreenToStack(screen);
    // Nothing typed, held or clicked on the old screen may act on the new one.
    ClearKeys();
    ClearMouse();
    return 0;
}

int TGame::CheckKeys()
{
    // D is asked first and on every frame, so a D without Ctrl is used up. Clearing the keys here also
    // drops a P of the same frame: Ctrl+D and P together toggle only the panel.
    if (CtrlChordWasHit(KEY_D)) {
        ClearKeys();
        ToggleDebugPanel();
    }
    if (KeyWasHit(KEY_P)) {
        ClearKeys();
        TogglePaused();
        // The spoken mode tells how to go on, since the dimmed picture says nothing to a player who
        // cannot see it.
        if (paused && Speaking())
            // TRANSLATORS: said aloud in the spoken mode when P pauses the game.
            Announce(Translate("Paused. Press P to go on."));
    }
    if (KeyWasHit(KEY_M))
        ToggleSound();
    return 0;
}

int TGame::Draw()
{
    if (clsColor)
        SetClsColor(clsColor->R, clsColor->G, clsColor->B);
    Cls();
    SetBlend(3);
    // A copy, so a screen that changed the stack while drawing cannot pull the list from under the walk.
    // Kept from frame to frame, so drawing a frame allocates nothing.
    static std::vector<TScreenPtr> screens;
    screens.assign(screenStack.items.begin(), screenStack.items.end());
    for (const TScreenPtr& screen : screens)
        if (screen)
            screen->Draw();
    screens.clear();
    if (paused || !soundOn) {
        // The debug panel draws with what the screens left set, so these leave the state as they found it,
        // and they keep their own size while the camera zooms.
        const TDrawState before = GetDrawState();
        const float zoomX = renderer->scaleX, zoomY = renderer->scaleY;
        renderer->ResetScale();
        SetDrawRotation(0.0f);
        SetDrawScale(1.0f, 1.0f);
        if (paused)
            DrawPauseOverlay();
        if (!soundOn)
            DrawSoundOffNote();
        renderer->SetGameScale(zoomX, zoomY);
        SetColor(before.r, before.g, before.b);
        SetAlpha(before.alpha);
        SetDrawScale(before.scaleX, before.scaleY);
        SetDrawRotation(before.rotation);
        SetDrawFont(before.font);
        SetBlend(before.blend);
    }
    DrawDebugPanel();
    return 0;
}

void TGame::DrawPauseOverlay()
{
    SetColor(0, 0, 0);
    SetAlpha(0.5f);
    DrawRect(0.0f, 0.0f, float(renderer->screenWidth), float(renderer->screenHeight));
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    if (currentScreen)
        currentScreen->DrawPaused();
    // Centred both ways.
    const float height = float(FontHeight(gameFont)) * 1.5f;
    const char* paused = Translate("PAUSED");
    const float sx = FittedScaleX(paused, gameFont, 1.0f, float(renderer->screenWidth) - 2.0f * FIT_MARGIN);
    renderer->OutputTextCentered(paused, (float(renderer->screenHeight) - height) / 2.0f, gameFont, sx, 1.5f,
                                 pauseTextColor, pauseTextShadow);
}

void TGame::DrawSoundOffNote()
{
    // In the corner left of the level's time bar.
    const char* note = Translate("Sound off");
    const float sx = FittedScaleX(note, gameFont, 0.3f, float(renderer->screenWidth - 400) / 2.0f - 10.0f - FIT_MARGIN);
    renderer->OutputText(note, 10.0f, float(renderer->screenHeight - 30), gameFont, sx, 0.4f, noteColor, nullptr);
}

int TGame::DrawDebugPanel()
{
    if (displayDebugPanel != 1)
        return 0;
    // Whatever colour, scale and font the screens left set: the panel is a developer aid.
    DrawTextAt("Mouse: " + std::to_string(MousePosX()) + "," + std::to_string(MousePosY()),
               float(debugPanelX), float(debugPanelY));
    DrawTextAt("Screen: " + (currentScreen ? currentScreen->name : std::string()), float(debugPanelX),
               float(debugPanelY + 15));
    // A class sharing one test can check that every machine was started alike.
    if (launchSeed)
        DrawTextAt("Seed: " + std::to_string(*launchSeed), float(debugPanelX), float(debugPanelY + 30));
    return 0;
}

int TGame::LoadMusic(const std::string& fileName, int flags)
{
    if (!music)
        return 0;
    // The music playing now goes on until PlayMusic or StopMusic.
    currentMusic = LoadSoundFile(musicPath + fileName, flags);
    currentMusicFile = fileName;
    currentMusicFlags = flags;
    return 0;
}

TSoundPtr TGame::LoadGameSound(const std::string& fileName, int flags)
{
    return LoadSoundFile(soundPath + fileName, flags);
}

bool TGame::Logic()
{
    // The close button is honoured before the pause test, so it works while paused.
    if (AppTerminateRequested())
        return true;
    CheckKeys();
    if (!paused) {
        renderer->Logic();
        // Held here because a screen's Logic may ChangeScreen away from itself and then run on to its
        // end; the stack alone would drop it mid-call.
        TScreenPtr screen = currentScreen;
        if (screen)
            screen->Logic();
        if (endGame)
            return true;
    }
    return false;
}

int TGame::PlayMusic()
{
    if (!music)
        return 0;
    StopMusic();
    // Music that failed to load is simply not played; the previous piece has been stopped all the same,
    // so the new screen is silent rather than playing the old screen's music.
    if (!currentMusic)
        return 0;
    musicChannel = currentMusic->Cue();
    musicChannel->SetVolume(musicVolume * musicLevel);
    musicChannel->SetPaused(0);
    return 0;
}

int TGame::PlayGameSound(const TSoundPtr& sound, TChannelPtr& channel, float volume, float rate)
{
    if (!sound) {
        PrintLine("PlayGameSound tried to play a null sound");
        return 0;
    }
    // Cut off what this variable was playing, so one owner's effect never overlaps itself.
    StopSound(channel);
    channel = sound->Cue();
    // Volume and rate are set while the channel is still paused, before its first sample is heard.
    channel->SetVolume(volume * effectsLevel);
    channel->SetRate(rate);
    channel->SetPaused(0);
    return 0;
}

int TGame::RemoveScreenFromStack(const TScreenPtr& screen)
{
    screenStack.Remove(screen);
    return 0;
}

int TGame::SetupTitleBar()
{
    SetAppTitle(name + " V" + versionString);
    return 0;
}

int TGame::StopMusic()
{
    return StopSound(musicChannel);
}

int TGame::StopSound(TChannelPtr& channel)
{
    // A channel that already finished stays in the variable; the next play replaces it anyway.
    if (channel && channel->Playing()) {
        channel->Stop();
        channel = nullptr;
    }
    return 0;
}

bool TGame::StillUntilInput() const
{
    // Paused, no screen's logic runs; the overlays (pause, sound off, the panel) show only what input
    // changes.
    return paused || (currentScreen && currentScreen->StillUntilInput());
}

int TGame::ToggleDebugPanel()
{
    displayDebugPanel = displayDebugPanel ? 0 : 1;
    return 0;
}

int TGame::TogglePaused()
{
    paused = paused ? 0 : 1;
    return 0;
}

int TGame::ToggleSound()
{
    soundOn = soundOn ? 0 : 1;
    SetMasterVolume(soundOn ? 1.0f : 0.0f);
    return 0;
}
