#include "host/rt_game.h"

#include "runtime/errors.h"

#include <cstdlib>

RtGame* RtGame::_game = nullptr;

RtGame::RtGame() {
    _game = this;
}

RtGame::~RtGame() {
    if (_game == this) _game = nullptr;
}

void RtGame::SetDelegate(RtGameDelegate* delegate) {
    _delegate = delegate;
}

RtGameDelegate* RtGame::Delegate() {
    return _delegate;
}

void RtGame::SetKeyboardEnabled(bool enabled) {
    _keyboardEnabled = enabled;
}

bool RtGame::KeyboardEnabled() {
    return _keyboardEnabled;
}

void RtGame::SetUpdateRate(int hertz) {
    _updateRate = hertz;
}

int RtGame::UpdateRate() {
    return _updateRate;
}

bool RtGame::Started() {
    return _started;
}

bool RtGame::Suspended() {
    return _suspended;
}

// --- Platform services: nothing useful without a platform -----------------------------

int RtGame::Millisecs() {
    return 0;
}

int RtGame::CountJoysticks(bool /*update*/) {
    return 0;
}

bool RtGame::PollJoystick(int /*port*/, Array<float> /*joyx*/, Array<float> /*joyy*/,
                          Array<float> /*joyz*/, Array<bool> /*buttons*/) {
    return false;
}

void RtGame::OpenUrl(String /*url*/) {}

void RtGame::SetMouseVisible(bool /*visible*/) {}

int RtGame::GetDeviceWidth() {
    return 0;
}

int RtGame::GetDeviceHeight() {
    return 0;
}

void RtGame::SetDeviceWindow(int /*width*/, int /*height*/, int /*flags*/) {}

Array<RtDisplayMode*> RtGame::GetDisplayModes() {
    return Array<RtDisplayMode*>();
}

RtDisplayMode* RtGame::GetDesktopMode() {
    return nullptr;
}

void RtGame::SetSwapInterval(int /*interval*/) {}

String RtGame::PathToFilePath(String path) {
    return path;
}

unsigned char* RtGame::LoadImageData(String /*path*/, int* /*width*/, int* /*height*/,
                                     int* /*depth*/) {
    return nullptr;
}

unsigned char* RtGame::LoadAudioData(String /*path*/, int* /*length*/, int* /*channels*/,
                                     int* /*bytesPerSample*/, int* /*hertz*/) {
    return nullptr;
}

// --- Calls into the game -------------------------------------------------------------------

void RtGame::Die(ThrowableObject* /*ex*/) {
    rtPrint(String("Vorpix Runtime Error : Uncaught Vorpix Exception"));
    std::exit(-1);
}

void RtGame::gc_collect() {
    gc_mark_q(_delegate);
    ::gc_collect();
}

// Every call into the game: the delegate's operation, with an escaping game exception
// ending the process, then one step of the collector.
#define RT_GAME_CALL(call)                                                                         \
    do {                                                                                           \
        try {                                                                                      \
            if (_delegate) _delegate->call;                                                        \
        } catch (ThrowableObject * ex) {                                                           \
            Die(ex);                                                                               \
        }                                                                                          \
        gc_collect();                                                                              \
    } while (false)

void RtGame::StartGame() {
    if (_started) return;
    _started = true;
    RT_GAME_CALL(StartGame());
}

void RtGame::SuspendGame() {
    if (!_started || _suspended) return;
    _suspended = true;
    RT_GAME_CALL(SuspendGame());
}

void RtGame::ResumeGame() {
    if (!_started || !_suspended) return;
    _suspended = false;
    RT_GAME_CALL(ResumeGame());
}

void RtGame::UpdateGame() {
    if (!_started || _suspended) return;
    RT_GAME_CALL(UpdateGame());
}

void RtGame::RenderGame() {
    if (!_started) return;
    RT_GAME_CALL(RenderGame());
}

void RtGame::KeyEvent(int event, int data) {
    if (!_started) return;
    RT_GAME_CALL(KeyEvent(event, data));
}

void RtGame::MouseEvent(int event, int data, float x, float y) {
    if (!_started) return;
    RT_GAME_CALL(MouseEvent(event, data, x, y));
}

void RtGame::TouchEvent(int event, int data, float x, float y) {
    if (!_started) return;
    RT_GAME_CALL(TouchEvent(event, data, x, y));
}

void RtGame::MotionEvent(int event, int data, float x, float y, float z) {
    if (!_started) return;
    RT_GAME_CALL(MotionEvent(event, data, x, y, z));
}

void RtGame::DiscardGraphics() {
    if (!_started) return;
    RT_GAME_CALL(DiscardGraphics());
}
