// Player - typed answers, judging and scoring, the feedback effects and the two camera animations.
#include "play/Player.h"

#include <algorithm>
#include <utility>

#include "platform/Language.h"
#include "platform/Platform.h"
#include "play/GameOverScreen.h"
#include "play/GameScreen.h"
#include "play/HUD.h"
#include "play/Level.h"
#include "play/LevelCompleteScreen.h"
#include "play/Profile.h"
#include "play/Spoken.h"
#include "records/History.h"
#include "shell/Access.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"
#include "toolkit/ImageBank.h"
#include "toolkit/ParticleList.h"

namespace {

// The effects list of the level in play; made on demand so a player used outside a game screen
// (tools, tests) still has somewhere to put its effects.
TParticleListPtr Effects()
{
    if (!TGameScreen::particleList)
        TGameScreen::particleList = TParticleList::Create();
    return TGameScreen::particleList;
}

struct TWordEffect {
    float scaleX, scaleY;
    int r, g, b;
    float alphaDelta, scaleDelta;
    float speedX, speedY;
};

// Words and numbers: fixed on the screen (the zoom does not move them), with a heavy drop shadow.
void SpawnWord(const std::string& text, int x, int y, const TWordEffect& fx)
{
    // A translated word that would grow past the screen's edges before it has half faded starts
    // smaller, all of it alike, so it grows and fades as the written one does.
    float fit = 1.0f;
    if (Translated()) {
        const float halfFaded = 0.5f / std::max(-fx.alphaDelta, 0.001f);
        const float growth = (fx.scaleX + fx.scaleDelta * halfFaded) / fx.scaleX;
        const float room = float(renderer->screenWidth) - 2.0f * FIT_MARGIN;
        fit = FitFactor(TextWidth(text, gameFont, fx.scaleX) * growth, room);
    }
    TParticlePtr p = Effects()->AddNew(nullptr, x, y, text, gameFont);
    p->SetParams(fx.alphaDelta, 0.0f, fx.scaleDelta * fit, fx.scaleDelta * fit, fx.speedX, fx.speedY);
    p->scaleX = fx.scaleX * fit;
    p->scaleY = fx.scaleY * fit;
    p->color = TColor::Create(fx.r, fx.g, fx.b, 1.0f);
    p->shadow = TShadow::Create(3.0f, 3.0f, 0.5f);
    p->useRendererCamera = 0;
}

// The rows of the effects table that are words or numbers.
constexpr TWordEffect PROMPT_EFFECT{1.0f, 1.5f, 255, 190, 255, -0.015f, 0.003f, 0.0f, 0.0f};
constexpr TWordEffect RIGHT_NUMBER_EFFECT{2.0f, 3.0f, 50, 150, 50, -0.02f, 0.015f, 0.0f, 8.0f};
constexpr TWordEffect GOOD_EFFECT{1.0f, 1.5f, 100, 255, 100, -0.015f, 0.015f, 0.0f, -1.0f};
constexpr TWordEffect AWESOME_EFFECT{1.46f, 2.2f, 150, 255, 255, -0.015f, 0.015f, 0.0f, -1.0f};
constexpr TWordEffect TIME_UP_EFFECT{1.0f, 1.5f, 255, 0, 0, -0.015f, 0.015f, 0.0f, -1.0f};
constexpr TWordEffect RIGHT_ANSWER_EFFECT{2.0f, 3.0f, 200, 200, 50, -0.02f, 0.015f, 0.0f, 0.0f};
constexpr TWordEffect WRONG_NUMBER_EFFECT{2.0f, 3.0f, 150, 50, 50, -0.02f, 0.015f, 0.0f, 8.0f};
// In the calm and spoken modes the wrong number is a lighter red: 4.5 to 1 against the background
// rather than 2.4 to 1, so a player who sees little can still read what they typed.
constexpr TWordEffect CLEAR_WRONG_NUMBER_EFFECT{2.0f, 3.0f, 220, 80, 80, -0.02f, 0.015f, 0.0f, 8.0f};

// The typed text as a number: empty reads as 0, leading zeros are allowed. At most ten digits reach
// here, which a 64-bit sum holds without overflow.
long long ParseAnswer(const std::string& text)
{
    long long value = 0;
    for (char c : text)
        if (c >= '0' && c <= '9')
            value = value * 10 + (c - '0');
    return value;
}

// The answer into the history of answers, when it is kept: the question as shown, what was typed, and
// the frames it was on show for answering.
void KeepInHistory(TPlayer& p, int outcome)
{
    if (HistoryOn())
        QueueAnswer(profile, profile->gameMode, profile->level, level->currentQuestion,
                    p.answerInput ? p.answerInput->text : std::string(), outcome, p.answerFrames, game->frameRate);
    p.answerFrames = 0;
}

}  // namespace

TPlayerPtr TPlayer::CreatePlayer()
{
    auto p = std::make_shared<TPlayer>();
    p->x = float(level->width / 2);
    p->y = float(level->height - 400);
    p->shadow = TShadow::Create(1.5f, 1.5f, 0.5f);
    p->LoadSounds();
    p->goal = std::min(profile->level + 2, 10);
    return p;
}

int TPlayer::LoadSounds()
{
    for (auto [sound, file] : {std::pair{&soundCorrect, "correct.wav"}, {&soundExplosion, "explosion.wav"},
                               {&soundTyping, "typing.wav"}, {&soundAccelerate, "accelerate.wav"},
                               {&soundSuccess, "success.wav"}, {&soundTimeUp, "timeup.wav"}})
        if (!*sound)
            *sound = game->LoadGameSound(file, 0);
    return 0;
}

int TPlayer::LevelStart()
{
    game->PlayGameSound(soundAccelerate, channelAccelerate, 0.8f, 1.0f);
    // TRANSLATORS: at the start of a level, an instruction: how many right answers the level still needs.
    const std::string prompt = TranslateCount("Get %d Right", "Get %d Right", goal - levelScore);
    SpawnWord(prompt, level->width / 2, 100, PROMPT_EFFECT);
    // The question shows from now on, so it is said now: at the level's start and after a wrong answer.
    if (Speaking())
        Announce(SpokenSentences(prompt, SpokenQuestion(level->currentQuestion)));
    answerInput = TTextInput::Create("", float(renderer->screenWidth / 2), float(renderer->screenHeight / 2),
                                     gameFont, 2.0f, 3.0f);
    answerInput->alignment = TLabel::ALIGN_CENTRE_HORIZ;
    answerInput->ApplyColor(TColor::Create(100, 255, 100, 1.0f));
    answerInput->mode = TTextInput::MODE_NUMBERS_ONLY;
    answerInput->typingSound = soundTyping;
    ClearKeys();
    return 0;
}

int TPlayer::Logic()
{
    if (deathAnimCounter == 0 && successAnimCounter == 0) {
        ++answerFrames;
        ProcessInput();
        CheckKeys();
    }
    DeathAnimManage();
    SuccessAnimManage();
    return 0;
}

int TPlayer::Draw()
{
    if (deathAnimCounter == 0 && successAnimCounter == 0) {
        TSprite::Draw();
        if (answerInput)
            answerInput->Draw();
    }
    return 0;
}

int TPlayer::ProcessInput()
{
    if (!answerInput)
        return 0;
    const int result = answerInput->Logic();
    if (result == 1) {
        ValidateAnswer();
    } else if (result == 0) {
        // Judged as soon as it is as long as the right answer; Enter only for a shorter one.
        if (Utf8Length(answerInput->text) == Utf8Length(std::to_string(level->answer)))
            ValidateAnswer();
    }
    return 0;
}

int TPlayer::CheckKeys()
{
    return 0;
}

int TPlayer::ValidateAnswer()
{
    const bool right = ParseAnswer(answerInput->text) == level->answer;
    KeepInHistory(*this, right ? THistoryAnswer::RIGHT : THistoryAnswer::WRONG);
    if (right)
        CorrectAnswer();
    else
        WrongAnswer();
    return 0;
}

int TPlayer::CorrectAnswer()
{
    // The pitch climbs the major scale with the combo before this answer, an octave at most.
    game->PlayGameSound(soundCorrect, channelCorrect, 1.0f, float(MajorScaleRate(std::min(combo, 7))));
    SpawnWord(answerInput->text, renderer->screenWidth / 2, 450, RIGHT_NUMBER_EFFECT);
    level->GenerateQuestion();
    answerInput->Reset();
    levelScore += 1;
    combo += 1;
    profile->score += 10 + 2 * (combo - 1);
    if (combo > bestCombo)
        bestCombo = combo;
    if (combo > profile->biggestCombo)
        profile->biggestCombo = combo;
    hud->UpdateAll();
    // At the goal the success animation has started and shows its own word instead.
    const bool reached = GoalTest() != 0;
    if (!reached)
        // TRANSLATORS: praise for a right answer, floating up for a second.
        SpawnWord(Translate("Good"), level->width / 2, 200, GOOD_EFFECT);
    if (Speaking())
        // TRANSLATORS: the spoken mode's word for a right answer, said before the next question.
        Announce(SpokenSentences(Translate("Right."),
                                 reached ? Translate("AWESOME!") : SpokenQuestion(level->currentQuestion)));
    answerInput->flasher->SetToOff();
    return 0;
}

int TPlayer::WrongAnswer()
{
    profile->wrongAnswers += 1;
    if (Speaking())
        // TRANSLATORS: the spoken mode after a wrong answer; %d is the right answer.
        Announce(TranslateWith("Wrong. The answer is %d.", std::to_string(level->answer)));
    // Before the new question: the effects show the wrong answer's question and typed text.
    DeathAnimStart(0);
    level->GenerateQuestion();
    answerInput->Reset();
    combo = 0;
    hud->UpdateCombo();
    return 0;
}

int TPlayer::TimeUp()
{
    // Kept only when the time ran out on a question on show, not in a wrong answer's animation.
    if (deathAnimCounter == 0 && successAnimCounter == 0)
        KeepInHistory(*this, THistoryAnswer::TIME_UP);
    game->PlayGameSound(soundTimeUp, channelTimeUp, 1.0f, 1.0f);
    if (Speaking())
        Announce(Translate("TIME UP!"));
    profile->UpdateLives(-1);
    // The global player is this very object during play.
    const TPlayerPtr current = player;
    if (current)
        current->DeathAnimStart(TIME_UP_ANIM_FRAMES);
    else
        DeathAnimStart(TIME_UP_ANIM_FRAMES);
    // TRANSLATORS: the level's time has run out, which ends the run.
    SpawnWord(Translate("TIME UP!"), level->width / 2, 300, TIME_UP_EFFECT);
    return 0;
}

int TPlayer::GoalTest()
{
    if (levelScore >= goal) {
        SuccessAnimStart();
        return 1;
    }
    return 0;
}

namespace {

// How much closer the camera comes each frame of the death and the success animations.
constexpr float DEATH_ZOOM_STEP = 0.02f;
constexpr float SUCCESS_ZOOM_STEP = 0.01f;
// The calm mode's one explosion: about the size the scattered ones reach halfway through their fade.
constexpr float CALM_EXPLOSION_SCALE = 0.8f;

// One frame of an animation's zoom onto the player at (x, y) while its counter runs: the camera closes
// in by `step` and stays centred on the player. True on the frame the counter runs out.
bool ZoomFrame(int& counter, float step, float x, float y)
{
    if (counter <= 0)
        return false;
    counter -= 1;
    // The calm mode keeps the camera still; the animation lasts as long.
    if (AccessModes().calm)
        return counter <= 0;
    renderer->scaleX += step;
    renderer->scaleY += step;
    renderer->CentreOnCoords(x, y);
    return counter <= 0;
}

}  // namespace

int TPlayer::DeathAnimStart(int frames)
{
    const TParticleListPtr effects = Effects();

    // The ring and the explosions zoom with the camera, so they stay on the player as it closes in.
    // Calm: the ring and one explosion fade where they are, without growing, spinning or scattering.
    const bool calm = AccessModes().calm;
    TParticlePtr ring = effects->AddNew(imageBank->Find("particlering"), int(x), int(y));
    ring->SetParams(-0.04f, 0.0f, calm ? 0.0f : 0.1f, calm ? 0.0f : 0.1f, 0.0f, 0.0f);

    const TGameImagePtr explosion = imageBank->Find("explosion");
    for (int i = 0; i < 8; ++i) {
        // Drawn y, x, growth, spin: replays depend on this order, and the calm mode draws them too, so
        // that a shared seed asks its players the same questions in either mode.
        const int ey = RandomInt(int(y - 50.0f), int(y + 50.0f));
        const int ex = RandomInt(int(x - 50.0f), int(x + 50.0f));
        const float growth = float(RandomFloat(0.05, 0.1));
        const int spin = RandomInt(10, 30);
        if (calm) {
            if (i == 0) {
                TParticlePtr p = effects->AddNew(explosion, int(x), int(y));
                p->SetScaleParams(CALM_EXPLOSION_SCALE, CALM_EXPLOSION_SCALE);
                p->SetParams(-0.04f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
            }
            continue;
        }
        TParticlePtr p = effects->AddNew(explosion, ex, ey);
        p->SetScaleParams(0.3f, 0.3f);
        p->SetParams(-0.04f, float(spin), growth, growth, 0.0f, 0.0f);
    }

    if (frames != 0) {
        deathAnimCounter = frames;
    } else {
        deathAnimCounter = deathAnimCounterMax;
        // The right answer, just right of the centred question.
        const TLabelPtr question = level->questionLabel;
        const float width = question ? question->GetWidth(0) : 0.0f;
        const float questionX = question ? question->x : float(renderer->screenWidth / 2);
        SpawnWord(std::to_string(level->answer), int(questionX + width / 2.0f + 100.0f), 305,
                  RIGHT_ANSWER_EFFECT);
        if (answerInput && !answerInput->text.empty())
            SpawnWord(answerInput->text, renderer->screenWidth / 2, 450,
                      AccessModes().calm || AccessModes().speak ? CLEAR_WRONG_NUMBER_EFFECT : WRONG_NUMBER_EFFECT);
    }
    game->PlayGameSound(soundExplosion, channelExplosion, 1.0f, 1.0f);
    return 0;
}

int TPlayer::DeathAnimManage()
{
    if (!ZoomFrame(deathAnimCounter, DEATH_ZOOM_STEP, x, y))
        return 0;
    DeathAnimEnd();
    return 1;
}

int TPlayer::DeathAnimEnd()
{
    renderer->ResetScale();
    renderer->ResetScrolling();
    if (profile->lives <= 0) {
        game->ChangeScreen(TGameOverScreen::Create());
        return 1;
    }
    // Play goes on in this level with the question WrongAnswer made.
    LevelStart();
    return 0;
}

int TPlayer::SuccessAnimStart()
{
    // TRANSLATORS: a cheer when the level's goal is reached; short and glad.
    SpawnWord(Translate("AWESOME!"), level->width / 2, 300, AWESOME_EFFECT);
    successAnimCounter = successAnimCounterMax;
    game->PlayGameSound(soundSuccess, channelSuccess, 1.0f, 1.0f);
    return 0;
}

int TPlayer::SuccessAnimManage()
{
    if (!ZoomFrame(successAnimCounter, SUCCESS_ZOOM_STEP, x, y))
        return 0;
    SuccessAnimEnd();
    return 1;
}

int TPlayer::SuccessAnimEnd()
{
    renderer->ResetScale();
    renderer->ResetScrolling();
    game->ChangeScreen(TLevelCompleteScreen::Create());
    return 0;
}
