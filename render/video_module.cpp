#include "render/video_module.h"

#include <dlfcn.h>

#include <filesystem>

namespace vortexa {

namespace {

using TOpenVideo = decltype(&VortexaOpenVideo);

// The module stays loaded for the rest of the run.
TOpenVideo LoadModule() {
  namespace fs = std::filesystem;
  const fs::path programFolder = fs::read_symlink("/proc/self/exe").parent_path();
  std::string reasons;
  for (const fs::path& folder :
       {programFolder, programFolder / VORTEXA_VIDEO_MODULE_FROM_PROGRAM}) {
    void* module = dlopen((folder / kVideoModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      reasons += std::string("; ") + dlerror();
      continue;
    }
    if (auto open = reinterpret_cast<TOpenVideo>(dlsym(module, "VortexaOpenVideo"))) return open;
    reasons += "; " + (folder / kVideoModuleName).string() + " has no VortexaOpenVideo";
  }
  throw TVideoError("cannot load the video encoder" + reasons);
}

}  // namespace

std::unique_ptr<TVideoSink> OpenVideo(const std::string& path, const TVideoSettings& settings) {
  static const TOpenVideo open = LoadModule();
  std::string error;
  std::unique_ptr<TVideoSink> video(open(path.c_str(), &settings, &error));
  if (!video) throw TVideoError(error);
  return video;
}

}  // namespace vortexa
