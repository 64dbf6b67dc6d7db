// The virtual screen, the draw style, the sprite buffer and its replay.
//
// Nothing draws while the game logic runs: every drawing call appends a record of 20 floats
// (a snapshot of the draw style plus the call's own values) to the draw list of the current
// update; rt_quzo_Buffer publishes the list at the end of the update and every render
// replays the last published list, scaled from the virtual screen to the window.
#pragma once

#include "runtime/string.h"

// Record layout of the draw list and the render buffer.
namespace hexwend::framework {

constexpr int kRecordFloats = 20;
// Records are appended while the list holds at most this many.
constexpr int kMaxRecordIndex = 5000;
// The replay draws at most this many records.
constexpr int kMaxReplay = 4999;
// Stands for an omitted second size argument.
constexpr float kSameAsFirst = -37171;

enum RecordKind {
    kKindImage = 1,
    kKindRect = 2,
    kKindOval = 3,
    kKindTriangle = 4,
    kKindLine = 5,
    kKindSkew = 101,
    kKindBlend = 102,
};

// The data path of an image or font: "common/<name>.png" for the framework's shared slots
// (above 69), "<game number>/<name>.png" for the game's own.
String assetPath(int slot, const String& name);

} // namespace hexwend::framework

// Style setters.
int rt_quzo_ResetDraw();
int rt_quzo_SetCol(float r, float g, float b, float a);
int rt_quzo_Alpha(float a);
int rt_quzo_Ink(int preset, float brightness);
int rt_quzo_InkRot(float angle, float amount, float level);
int rt_quzo_SetSize(float sx, float sy = hexwend::framework::kSameAsFirst);
int rt_quzo_SetRot(float degrees);
int rt_quzo_SetSkew(float kx, float ky);
int rt_quzo_SetCLSCol(int r, int g, int b, float a);
int rt_quzo_BGRot(float angle, float amount, float level);

// Drawing calls: each appends one record with the current style.
int rt_quzo_DrawImg(int slot, float x, float y, int frame);
int rt_quzo_Rect(float x, float y, float w, float h, float alignX = 0, float alignY = 0);
int rt_quzo_Line(float x1, float y1, float x2, float y2);
int rt_quzo_Triangle(float x1, float y1, float x2, float y2, float x3, float y3);

// Loads an image into a slot, cut into frames with a centred handle.
int rt_quzo_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount);

// End of an update: particles, the statistics line, then publishing the draw list.
int rt_quzo_Buffer();
// Replays the render buffer; called between the graphics module's BeginRender and EndRender.
int rt_quzo_RenderWorld();
