// Controls: the pointer model and the control blocks.
//
// The pointer model merges the left mouse button and ten touch slots into virtual-screen
// coordinates (rt_quzo_QUZO_Touch, rt_quzo_mx, rt_quzo_my, rt_quzo_mdAll), with the
// previous position, the movement since the last update and a drag stick that turns a held
// pointer into an analogue deflection (rt_quzo_mPadx, rt_quzo_mPady).
//
// The control model maps the keyboard and four joypads onto five blocks of 100 floats in
// rt_quzo_QUZO_Control (block 0 the keyboard, blocks 1 ... 4 joypads 0 ... 3). Within a
// block: 0 up, 3 left, 5 right, 8 down, 10 ... 15 buttons 1 ... 6, 20 pause / back,
// 21 and 22 the main axis (persistent between updates), 31 and 32 the second axis.
//
// Both are rebuilt once per update: first the pointer model, then rt_quzo_DoControls.
// The globals live in framework/quzo.h.
#pragma once

// Rebuilds the five control blocks from the keyboard and the joypads, then mixes block 0
// into block 1 when rt_quzo_QUZO_MixControls is 1. Returns 0.
int rt_quzo_DoControls();

// A control's value. player -2 sums it over all five blocks, -3 reads the keyboard block,
// -1 the first player's block (block 1 when the controls are mixed, else block 0), 0 ... 3
// the block of that joypad; any other player, and a control outside 0 ... 99, read 0.
// Control 99 stands for the pause control 20.
float rt_quzo_PlayKey(int control, int player);

// The x of the main axis (stick 0) or the second axis (stick 1) of the block PlayKey reads
// for the player; while a pointer is down and the player is 0 or below, the drag stick's
// x instead. Any other stick reads 0.
float rt_quzo_ControlX(int player, int stick);

// Locks all: elements 0 ... 49 of rt_quzo_kdis and rt_quzo_mdis become 1. Returns 0.
int rt_quzo_LockKeys();

int rt_quzo_MixControls(int v);
int rt_quzo_AllowMouseAnalogue(int v);
// v 1 marks a console host whose touch reports are ignored; it also offers "Quit" in the
// main menu and switches the drag stick off.
int rt_quzo_SetOUYA(int v);

// Hit tests: 1 while any of the ten touch slots is down inside the area, else 0. A press
// held inside, not a click.
int rt_quzo_MouseIn(float x, float y, float w, float h);
int rt_quzo_MouseIn_Centered(float cx, float cy, float w, float h);
int rt_quzo_MouseIn_Radius(float cx, float cy, float r);

// Draws a frame of an image slot (1 ... 99) and answers whether a pointer is held inside
// the square of its frame width, scaled by the draw style's size, centred on (x, y). Other
// slots draw nothing and answer 0.
int rt_quzo_Button(int slot, float x, float y, int frame);

// The distance between two points, computed in double precision.
float rt_quzo_Dist(float x1, float y1, float x2, float y2);

// An integer from lo to hi from one draw of the shared generator; hi comes up about 1 %
// less often than the other values.
int rt_quzo_Rand(float lo, float hi);

namespace hexwend::framework {

// Control numbers within a block.
constexpr int kControlUp = 0;
constexpr int kControlLeft = 3;
constexpr int kControlRight = 5;
constexpr int kControlDown = 8;
constexpr int kControlButton1 = 10;
constexpr int kControlPause = 20;
constexpr int kControlAxisX = 21;
constexpr int kControlAxisY = 22;
constexpr int kControlAxis2X = 31;
constexpr int kControlAxis2Y = 32;

// The number of elements of one control block, and of blocks.
constexpr int kControlBlockSize = 100;
constexpr int kControlBlocks = 5;

// The pointer step of the update: reads the left mouse button and the ten touches,
// fills rt_quzo_QUZO_Touch and the pointer globals, moves the drag stick, and clears the
// pointer lock (rt_quzo_mdis element 0) while no pointer is down. Returns 0.
int updatePointer();

} // namespace hexwend::framework
