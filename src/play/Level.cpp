// Level - question generation for the four operations and the level timer.
#include "play/Level.h"

#include "platform/Language.h"
#include "platform/Platform.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Access.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"

namespace {

struct TQuestion {
    std::string text;
    int answer = 0;
};

// One candidate for the operation. Operands are drawn a, then b: replays depend on that order.
TQuestion MakeCandidate(int operation, int levelNumber)
{
    const int sumRange = 2 * levelNumber + 2;      // addition and subtraction operands: 1 to 2L + 2
    const int productRange = levelNumber + 2;      // multiplication and division operands: 1 to L + 2
    TQuestion q;
    switch (operation) {
    case TProfile::MODE_SUBTRACTION: {
        // Redrawn as a pair, so the second operand is not biased towards small values.
        int a = 0, b = 0;
        do {
            a = RandomInt(1, sumRange);
            b = RandomInt(1, sumRange);
        } while (a - b < 0);
        q.text = std::to_string(a) + " - " + std::to_string(b) + " =";
        q.answer = a - b;
        break;
    }
    case TProfile::MODE_MULTIPLICATION: {
        int a = RandomInt(1, productRange);
        int b = RandomInt(1, productRange);
        q.text = std::to_string(a) + " x " + std::to_string(b) + " =";
        q.answer = a * b;
        break;
    }
    case TProfile::MODE_DIVISION: {
        // Built backwards from the quotient, so the division is always exact.
        int a = RandomInt(1, productRange);
        int b = RandomInt(1, productRange);
        q.text = std::to_string(a * b) + " / " + std::to_string(b) + " =";
        q.answer = a;
        break;
    }
    default: {
        int a = RandomInt(1, sumRange);
        int b = RandomInt(1, sumRange);
        q.text = std::to_string(a) + " + " + std::to_string(b) + " =";
        q.answer = a + b;
        break;
    }
    }
    return q;
}

}  // namespace

TLevelPtr TLevel::Create()
{
    return std::make_shared<TLevel>();
}

int TLevel::TimeLimitForLevel(int levelNumber)
{
    const int limit = (65 - 5 * levelNumber) * 60;
    return limit < 900 ? 900 : limit;
}

int TLevel::Init()
{
    questionLabel = TLabel::Create("", float(renderer->screenWidth / 2), float(renderer->screenHeight / 2 - 150),
                                   gameFont, 2.0f, 3.0f);
    questionLabel->alignment = TLabel::ALIGN_CENTRE_HORIZ;
    GenerateQuestion();
    // More time stretches every level alike; at the usual 100 % it is the very same number.
    timeLimit = TimeLimitForLevel(profile->level) * AccessModes().timePercent / 100;
    timeLeft = timeLimit;
    return 0;
}

int TLevel::GenerateQuestion()
{
    const TQuestionDraws questionDraws;
    int operation = profile->gameMode;
    // Drawn once per question: a repeat is retried with the same operation.
    if (operation == TProfile::MODE_ALL)
        operation = RandomInt(0, 3);
    TQuestion q;
    do {
        q = MakeCandidate(operation, profile->level);
    } while (q.text == currentQuestion);
    currentQuestion = q.text;
    answer = q.answer;
    if (questionLabel)
        questionLabel->SetTextRaw(currentQuestion);
    return 0;
}

int TLevel::Logic()
{
    // Held during the success animation so the time left at the goal remains for the bonus.
    const TPlayerPtr current = player;
    const bool held = current && current->successAnimCounter != 0;
    if (!held && timeLeft > 0) {
        --timeLeft;
        // Only on the frame it reaches 0: once expired the timer stays there and never calls again.
        if (timeLeft <= 0 && current)
            current->TimeUp();
        // The spoken mode's warnings, at whole seconds a player can still act on.
        for (int seconds : {30, 10, 5})
            if (timeLeft == seconds * 60 && Speaking())
                // TRANSLATORS: the spoken mode's warning as the level's time runs out.
                Announce(TranslateCount("%d second left", "%d seconds left", seconds));
    }
    return 0;
}

int TLevel::Draw()
{
    const TPlayerPtr current = player;
    const bool animating = current && (current->successAnimCounter != 0 || current->deathAnimCounter != 0);
    if (!animating && questionLabel)
        questionLabel->Draw();
    return 0;
}
