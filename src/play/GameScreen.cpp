// GameScreen - builds a level's objects in dependency order and runs them frame by frame.
#include "play/GameScreen.h"

#include "platform/Platform.h"
#include "play/HUD.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "play/TitleScreen.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"

TParticleListPtr TGameScreen::particleList;

TGameScreenPtr TGameScreen::Create()
{
    auto screen = std::make_shared<TGameScreen>();
    screen->Init();
    screen->name = "Game";
    return screen;
}

int TGameScreen::Init()
{
    // Each object reads the ones made before it: the player the level's size, the HUD the player's
    // goal, the level's timer the profile.
    level = TLevel::Create();
    player = TPlayer::CreatePlayer();
    hud = THUD::Create();
    level->Init();
    particleList = TParticleList::Create();
    game->LoadMusic("game.ogg", 1);
    game->PlayMusic();
    player->LevelStart();
    renderer->ResetScale();
    renderer->ResetScrolling();
    // Nothing typed before the level counts.
    ClearKeys();
    return 0;
}

int TGameScreen::Logic()
{
    if (KeyWasHit(KEY_ESCAPE)) {
        renderer->ResetScale();
        renderer->ResetScrolling();
        game->ChangeScreen(TTitleScreen::Create());
        // The abandoned level stops here: running its animations on would zoom the camera again
        // under the title screen, and an animation ending this frame would replace the title by
        // the game-over or level-complete screen.
        return 0;
    }

    if (game->testMode != 0) {
        if (KeyWasHit(KEY_R))
            game->currentScreen->Init();
        if (KeyWasHit(KEY_Q)) {
            player->TimeUp();
            ClearKeys();
        }
        if (KeyWasHit(KEY_J)) {
            player->levelScore = player->goal;
            player->GoalTest();
            ClearKeys();
        }
    }

    // Local references: a screen change or a restart inside a step must not free what it runs on.
    const TLevelPtr currentLevel = level;
    const TPlayerPtr currentPlayer = player;
    const TParticleListPtr effects = particleList;
    currentLevel->Logic();
    currentPlayer->Logic();
    effects->Logic();
    return 0;
}

int TGameScreen::Draw()
{
    const TLevelPtr currentLevel = level;
    const TPlayerPtr currentPlayer = player;
    const TParticleListPtr effects = particleList;
    const THUDPtr currentHud = hud;
    if (currentLevel)
        currentLevel->Draw();
    if (currentPlayer)
        currentPlayer->Draw();
    if (effects)
        effects->Draw();
    if (currentHud)
        currentHud->Draw();
    return 0;
}

int TGameScreen::DrawPaused()
{
    const THUDPtr currentHud = hud;
    if (currentHud && level)
        currentHud->DrawStoppedTimer();
    return 0;
}
