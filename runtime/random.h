// The shared pseudo-random generator and the runtime's numeric functions.
#pragma once

// The generator state; every random choice of the system advances it.
extern int rt_random_Seed;

// One step of the generator: seed = seed * 1664525 + 1013904223 (mod 2^32); returns the
// new state's upper 24 bits scaled into [0, 1).
inline float rt_random_Step(int& seed) {
    seed = int(unsigned(seed) * 1664525u + 1013904223u);
    return float(unsigned(seed) >> 8) * (1.0f / 16777216.0f);
}

float rt_random_Rnd();
float rt_random_Rnd3(float range);
float rt_random_Rnd2(float low, float high);

int rt_math_Abs(int x);
float rt_math_Abs2(float x);
int rt_math_Max(int a, int b);
float rt_math_Max2(float a, float b);
