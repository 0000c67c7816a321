// Player - the answer field, judging and scoring of answers, feedback effects and the zoom animations.
#pragma once

#include <memory>
#include <string>

#include "platform/sound/Sound.h"
#include "toolkit/Sprite.h"
#include "toolkit/TextInput.h"

class TPlayer;
using TPlayerPtr = std::shared_ptr<TPlayer>;

class TPlayer : public TSprite {
public:
    TTextInputPtr answerInput;
    int deathAnimCounter = 0;         // frames left of the death animation; 0 = not running
    int deathAnimCounterMax = 40;     // length after a wrong answer
    int successAnimCounter = 0;       // frames left of the success animation; 0 = not running
    int successAnimCounterMax = 70;
    TChannelPtr channelAccelerate;
    TSoundPtr soundAccelerate;
    TChannelPtr channelCorrect;
    TSoundPtr soundCorrect;
    TChannelPtr channelExplosion;
    TSoundPtr soundExplosion;
    TChannelPtr channelPickup;        // kept for completeness; nothing plays on it
    TSoundPtr soundTyping;            // lent to the answer field
    TChannelPtr channelSuccess;
    TSoundPtr soundSuccess;
    TChannelPtr channelTimeUp;
    TSoundPtr soundTimeUp;
    int combo = 0;                    // right answers in a row in this level
    int bestCombo = 0;                // largest combo in this level
    int goal = 0;                     // right answers this level needs
    int levelScore = 0;               // right answers given in this level
    int answerFrames = 0;             // frames the question on show has been answerable, for the history

    // Frames of the death animation after the time runs out.
    static constexpr int TIME_UP_ANIM_FRAMES = 80;

    // Placed by the level's size, sounds loaded, goal = profile level + 2 (at most 10).
    static TPlayerPtr CreatePlayer();
    // Loads each sound effect not loaded yet: all of them for a new player. The browser fetches the
    // effects while the title is up and calls it again when they arrive, for a level already started.
    virtual int LoadSounds();

    // The answer field, hidden during either animation.
    int Draw() override;
    // Input while no animation plays, then the two animations.
    int Logic() override;

    virtual int CheckKeys();
    virtual int CorrectAnswer();
    // 1 on the frame the death animation ends.
    virtual int DeathAnimManage();
    // 1 when the run is over (game-over screen), else the level goes on.
    virtual int DeathAnimEnd();
    // frames 0: a wrong answer's animation (deathAnimCounterMax); otherwise that many frames.
    virtual int DeathAnimStart(int frames);
    // 1 (and the success animation starts) when levelScore has reached the goal.
    virtual int GoalTest();
    // Level-start sound, the "Get N Right" prompt, a fresh answer field, keys cleared.
    virtual int LevelStart();
    virtual int ProcessInput();
    // 1 on the frame the success animation ends.
    virtual int SuccessAnimManage();
    virtual int SuccessAnimEnd();
    virtual int SuccessAnimStart();
    virtual int TimeUp();
    virtual int ValidateAnswer();
    virtual int WrongAnswer();
};
