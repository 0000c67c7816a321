// TGame - the single game object: the screen stack, the global keys, pause, the debug panel, music and sounds.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Containers.h"
#include "platform/sound/Sound.h"
#include "shell/Color.h"
#include "shell/Screen.h"
#include "shell/Shadow.h"

// The kept records are a room above the core: the game only holds them, for the screens to use.
class TSavedState;
class TGame;
using TGamePtr = std::shared_ptr<TGame>;

class TGame {
public:
    virtual ~TGame() = default;

    TColorPtr clsColor;
    TScreenPtr currentScreen;
    TSoundPtr currentMusic;
    // What the last LoadMusic asked for, so that music which arrives late (the browser fetches the later
    // screens' music while the title is up) can still start on its screen.
    std::string currentMusicFile;
    int currentMusicFlags = 0;
    int debugPanelX = 10;
    int debugPanelY = 10;
    int displayDebugPanel = 0;
    int endGame = 0;
    float frameRate = 60.0f;
    int music = 1;
    TChannelPtr musicChannel;
    float musicVolume = 0.4f;
    std::string name;
    int paused = 0;
    TList<TScreen> screenStack;
    int testMode = 0;
    std::string versionString = "0.00";
    std::string dataPath = "Data/";
    std::string fontPath = "Data/Fonts/";
    std::string imagePath = "Data/Images/";
    std::string musicPath = "Data/Music/";
    std::string soundPath = "Data/Sound/";

    // Best scores and settings kept between launches; null when this launch keeps nothing.
    std::shared_ptr<TSavedState> saved;
    // The seed the command line fixed for every run of this launch; none when runs follow the one
    // generator seeded at start-up. The debug panel shows it.
    std::optional<int> launchSeed;
    // The player's volumes from the settings, as factors of the game's own levels.
    float musicLevel = 1.0f;
    float effectsLevel = 1.0f;
    // M turns all sound off and on again (nothing else in the game uses M).
    int soundOn = 1;

    static TGamePtr Create();

    // Appends the screen and makes it current; does not run its Init.
    virtual int AddScreenToStack(const TScreenPtr& screen);
    // Replaces the current screen and forgets every pending key, typed character and click.
    virtual int ChangeScreen(const TScreenPtr& screen);
    // Ctrl+D (debug panel), then P (pause); runs paused or not.
    virtual int CheckKeys();
    // Clear, every screen on the stack first to last, then the debug panel.
    virtual int Draw();
    virtual int DrawDebugPanel();
    // currentMusic = the file under musicPath (null when unreadable); the playing music goes on.
    virtual int LoadMusic(const std::string& fileName, int flags);
    // The file under soundPath, or null when it cannot be loaded.
    virtual TSoundPtr LoadGameSound(const std::string& fileName, int flags);
    // One frame of logic; true tells the frame loop to end the program.
    virtual bool Logic();
    // Restarts currentMusic from its beginning on a fresh channel at musicVolume; nothing when null.
    virtual int PlayMusic();
    // Stops what the channel variable was playing, then plays the sound on a new channel stored in it.
    virtual int PlayGameSound(const TSoundPtr& sound, TChannelPtr& channel, float volume, float rate);
    // Removes that very object from the stack; currentScreen is left as it was.
    virtual int RemoveScreenFromStack(const TScreenPtr& screen);
    // Application title: name + " V" + versionString.
    virtual int SetupTitleBar();
    virtual int StopMusic();
    // Stops the channel if it is playing and empties the variable.
    virtual int StopSound(TChannelPtr& channel);
    virtual int ToggleDebugPanel();
    virtual int TogglePaused();
    // All sound off or on; while off, a note says so in a corner.
    virtual int ToggleSound();
    // Whether the next frames change nothing until the player does something: while paused, or on a
    // screen that says so, since nothing the game draws over it changes by itself.
    bool StillUntilInput() const;

private:
    // Over the dimmed picture while paused: "PAUSED" and what the current screen keeps readable.
    void DrawPauseOverlay();
    void DrawSoundOffNote();

    TColorPtr pauseTextColor = TColor::Create(255, 255, 255, 1.0f);
    TShadowPtr pauseTextShadow = TShadow::Create(3, 3, 0.5f);
    TColorPtr noteColor = TColor::Create(170, 170, 190, 1.0f);
};
