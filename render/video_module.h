// The video encoder as a module of its own, loaded only when a video is
// made: FFmpeg's libraries take longer to load than many a picture takes to
// compute, and the renderer's pictures should not pay for them.
#pragma once

#include <memory>
#include <string>

#include "render/video_file.h"

// The module's one entry: a new video file, or null with the reason in `error`.
extern "C" vortexa::TVideoSink* VortexaOpenVideo(const char* path,
                                                 const vortexa::TVideoSettings* settings,
                                                 std::string* error);

namespace vortexa {

inline constexpr char kVideoModuleName[] = "libvortexa-video.so";

// Loads the module from the program's folder, else from the installed
// library folder, and opens the file. Throws TVideoError.
std::unique_ptr<TVideoSink> OpenVideo(const std::string& path, const TVideoSettings& settings);

}  // namespace vortexa
