#include "runtime/random.h"

int rt_random_Seed = 1234;

float rt_random_Rnd() {
    return rt_random_Step(rt_random_Seed);
}

float rt_random_Rnd3(float range) {
    return rt_random_Rnd() * range;
}

float rt_random_Rnd2(float low, float high) {
    return rt_random_Rnd() * (high - low) + low;
}

int rt_math_Abs(int x) {
    return x >= 0 ? x : int(0u - unsigned(x));
}

float rt_math_Abs2(float x) {
    return x < 0 ? -x : x;
}

int rt_math_Max(int a, int b) {
    return a > b ? a : b;
}

float rt_math_Max2(float a, float b) {
    return a <= b ? b : a;
}
