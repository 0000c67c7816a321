// The program-wide objects, reached from everywhere in the game; each is defined once in Globals.cpp.
#pragma once

#include <memory>

class TGame;
class TRenderer;
class TImageBank;
class TImageFont;
class TProfile;
class TLevel;
class TPlayer;
class THUD;

// Live for the whole program: made at start-up.
extern std::shared_ptr<TGame> game;
extern std::shared_ptr<TRenderer> renderer;
extern std::shared_ptr<TImageBank> imageBank;
extern std::shared_ptr<TImageFont> gameFont;
// Replaced when a run starts (profile) and by every game screen's Init (level, player, hud).
extern std::shared_ptr<TProfile> profile;
extern std::shared_ptr<TLevel> level;
extern std::shared_ptr<TPlayer> player;
extern std::shared_ptr<THUD> hud;
