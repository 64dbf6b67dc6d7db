// Named elements of the framework's shared int arrays: the settings array rt_quzo_QUZO_Set
// and the locks in rt_quzo_kdis and rt_quzo_mdis that more than one screen uses. The locks
// that only one screen uses are named beside that screen.
#pragma once

// Elements of rt_quzo_QUZO_Set with a meaning in the framework. Elements 0 ... 200 are
// persisted; the others, and the ones not named here, are the game's.
namespace hexwend::framework::settings {

constexpr int kMusicVolume = 0;      // 0 ... 10 ("Music")
constexpr int kEffectsVolume = 1;    // 0 ... 10 ("SFX")
constexpr int kFinishedGames = 5;    // finished games of all types
constexpr int kGameNumber = 6;       // the game number, stored by every save
constexpr int kInvertLeftStick = 11; // 1 inverts the left stick's y
constexpr int kInvertRightStick = 12;
constexpr int kOverscan = 21;       // 0 ... 10; forced back to 0 on loading except on a console
constexpr int kFrameRate = 22;      // "Framerate [F1]": rt_quzo_QUZO_DebugMode
constexpr int kScreenshotMode = 23; // "Screenshot Mode [F2]": rt_quzo_QUZO_ScreenshotMode

// The highest value of a volume setting.
constexpr int kMaxVolume = 10;
// The music channel's gain per step of the music volume: 10 gives 0.999.
constexpr float kMusicVolumeStep = 0.0999f;

} // namespace hexwend::framework::settings

// A screen acts on a control only while its lock element is clear, and sets it when it acts.
namespace hexwend::framework::locks {

// rt_quzo_kdis: the menu lock of every menu screen, the name entry's included; and the pause
// control's lock, so that one press toggles the pause once.
constexpr int kMenu = 0;
constexpr int kPauseControl = 20;

// rt_quzo_mdis: the pointer lock, cleared in every update in which no pointer is down.
constexpr int kPointer = 0;

} // namespace hexwend::framework::locks
