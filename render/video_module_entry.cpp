#include "render/video_module.h"

extern "C" __attribute__((visibility("default"))) vortexa::TVideoSink* VortexaOpenVideo(
    const char* path, const vortexa::TVideoSettings* settings, std::string* error) {
  try {
    return new vortexa::TVideoFile(path, *settings);
  } catch (const std::exception& failure) {
    *error = failure.what();
    return nullptr;
  }
}
