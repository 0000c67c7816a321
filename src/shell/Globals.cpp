// Definitions of the program-wide objects.
#include "shell/Globals.h"

std::shared_ptr<TGame> game;
std::shared_ptr<TRenderer> renderer;
std::shared_ptr<TImageBank> imageBank;
std::shared_ptr<TImageFont> gameFont;
std::shared_ptr<TProfile> profile;
std::shared_ptr<TLevel> level;
std::shared_ptr<TPlayer> player;
std::shared_ptr<THUD> hud;
