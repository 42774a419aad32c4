#pragma once
// What the player says about itself and the machine, the same to both interpreters. The
// screen is a fixed, common one, so runs repeat on any machine.

namespace quillon::engine::player_facts {

inline constexpr const char* Version = "LNX 10,0,0,0";
inline constexpr const char* Os = "Linux";
inline constexpr const char* PlayerType = "StandAlone";
inline constexpr const char* Language = "en";
inline constexpr double ScreenWidth = 1024;
inline constexpr double ScreenHeight = 768;

} // namespace quillon::engine::player_facts
