// Particles, stars and the game's object pools.
//
// Game state lives in flat float pools with fixed-size records (framework/quzo.h):
// rt_quzo_grid (cells of 10), rt_quzo_plr (players of 100), rt_quzo_obj (objects of 10),
// rt_quzo_part (particles of 10) and rt_quzo_astar (stars of 10).
//
// Particle record, at element 10·k of rt_quzo_part (k = 0 ... 249, taken in turn as a ring):
//   0 kind (0 free), 1-2 position, 3-4 velocity per update, 5 rotation in degrees, 6 spin in
//   degrees per update, 7 alpha and remaining life, 8 the bounce floor (kind 3), the number
//   shown (kind 10) or a random 0 ... 15 (other kinds), 9 colour number 1 ... 9.
//
// Star record, at element 10·k of rt_quzo_astar (k = 0 ... 250): 0 frame 0 ... 15, 1-2
// position, 3 size 0.25 ... 0.9, 5 rotation, 6 spin -2 ... 2.
#pragma once

// Clear the pools' used ranges. Each returns 0.
int rt_quzo_ResetGrid();
int rt_quzo_ResetPlrs();
int rt_quzo_ResetObjs();
int rt_quzo_ResetParticles();

// Starts a particle in the next ring record: kind and colour number at (x, y), thrown at an
// angle in degrees (0 up, 90 right, 180 down) with a speed in units per update. Returns 0.
int rt_quzo_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed);

// Moves, draws and fades every live particle once; run at the end of every update by
// rt_quzo_Buffer, so particles draw over everything else. Returns 0.
int rt_quzo_DoParticles();

// Adds points to player 1 ... 7's score and scoring count and shows the points as a rising
// pop-up at (x, y); x -3717 shows no pop-up, any other player credits no one. Returns 0.
int rt_quzo_Gimme(int points, float x, float y, int player);

// The first object record i = 0 ... count whose element stride·i of rt_quzo_obj is 0, given
// as 10·i; -1 when there is none or count is negative.
int rt_quzo_FreeObj(int count, int stride);

// Seeds the starfield from the host's millisecond clock and leaves the shared generator at
// the state the seeding ended with. Returns 0.
int rt_quzo_ResetStars();

namespace hexwend::framework {

constexpr int kParticleFloats = 10;
constexpr int kParticleRing = 250;
// The particle pass walks one record past the ring.
constexpr int kParticleRecords = 251;
constexpr int kStarRecords = 251;
// Particles die this far outside the virtual screen.
constexpr float kParticleMargin = 128;
// The x of rt_quzo_Gimme that asks for no pop-up.
constexpr float kNoPopup = -3717;

// Particle kinds with their own behaviour.
constexpr int kKindSmoke = 1;
constexpr int kKindSlowSmoke = 11;
constexpr int kKindFalling = 2;
constexpr int kKindBouncing = 3;
constexpr int kKindStraight = 4;
constexpr int kKindPopup = 10;

} // namespace hexwend::framework
