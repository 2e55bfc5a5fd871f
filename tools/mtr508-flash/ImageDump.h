#pragma once
#include <string>

namespace flash {

// Writes the image's hex pairs to path as raw bytes ("3A" becomes 0x3A). Raises
// std::runtime_error "Cannot create file \"<path>\". <reason>" when the file cannot be written.
void WriteImageBytes(const std::string& flashImage, const std::string& path);

}  // namespace flash
