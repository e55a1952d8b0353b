// TVideoFile: pictures as frames of an MP4 video, encoded through FFmpeg's
// libraries: H.264 where libavcodec offers an encoder for it, else MPEG-4
// part 2, which every build of libavcodec has. The file is written as
// fragmented MP4 with a key frame every second, so that a run that is cut
// off still leaves a playable file of the seconds done; Finish completes it.
#pragma once

#include <QImage>
#include <memory>
#include <stdexcept>
#include <string>

#include "render/overlap_job.h"

namespace vortexa {

class TVideoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TVideoCodec { H264, Mpeg4 };

struct TVideoSettings {
  int Width = 0;   // even, as the 4:2:0 colour planes need
  int Height = 0;  // even
  int Fps = 30;
  // H.264 falls back to MPEG-4 part 2 when libavcodec has no encoder for it.
  TVideoCodec Codec = TVideoCodec::H264;
};

// Where frames go: a video file, whose encoder may live in a module loaded
// only when a video is made (see render/video_module.h).
class TVideoSink {
 public:
  virtual ~TVideoSink() = default;
  // Hands the frame (of the video's size) to the encoding thread and returns
  // once the previous frame is encoded; throws TVideoError.
  virtual void AddFrame(const QImage& frame) = 0;
  // Encodes what is left and writes the end of the file; throws TVideoError.
  virtual void Finish() = 0;
  virtual std::string CodecName() const = 0;
  virtual int FramesAdded() const = 0;
};

class TVideoFile : public TVideoSink {
 public:
  // Creates the file; throws TVideoError for a bad size or frame rate, or
  // when the file or the encoder cannot be opened.
  TVideoFile(const std::string& path, const TVideoSettings& settings);
  ~TVideoFile() override;
  TVideoFile(const TVideoFile&) = delete;
  TVideoFile& operator=(const TVideoFile&) = delete;

  void AddFrame(const QImage& frame) override;
  void Finish() override;
  std::string CodecName() const override;
  int FramesAdded() const override { return FFramesAdded; }

 private:
  struct TEncoder;
  std::unique_ptr<TEncoder> FEncoder;
  TOverlapJob FJob;
  int FFramesAdded = 0;
  bool FFinished = false;
};

}  // namespace vortexa
