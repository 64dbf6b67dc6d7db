#include "host/picture.h"

namespace hexwend::host {
namespace {

bool pictureKept = false;
bool pictureLost = false;
ContextEndingHandler contextEndingHandler = nullptr;

} // namespace

void keepPicture() {
    pictureKept = true;
}

bool takePictureKept() {
    const bool kept = pictureKept;
    pictureKept = false;
    return kept;
}

void notePictureLost() {
    pictureLost = true;
}

bool takePictureLost() {
    const bool lost = pictureLost;
    pictureLost = false;
    return lost;
}

void setContextEndingHandler(ContextEndingHandler handler) {
    contextEndingHandler = handler;
}

void contextEnding() {
    if (contextEndingHandler) contextEndingHandler();
}

} // namespace hexwend::host
