// Contact sheets of the generated images and a mock scene, for looking at the art.
#pragma once

#include <string>

namespace hexwend::assetgen {

bool writePreview(const std::string& dataDir, const std::string& previewDir);

} // namespace hexwend::assetgen
