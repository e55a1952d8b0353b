#include "render/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <string>

namespace vortexa {

namespace {

std::string AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

void Check(int result, const std::string& what) {
  if (result < 0) throw TVideoError(what + ": " + AvErrorText(result));
}

const AVCodec* ChooseEncoder(TVideoCodec codec) {
  if (codec == TVideoCodec::H264)
    if (const AVCodec* h264 = avcodec_find_encoder(AV_CODEC_ID_H264)) return h264;
  if (const AVCodec* mpeg4 = avcodec_find_encoder(AV_CODEC_ID_MPEG4)) return mpeg4;
  throw TVideoError("libavcodec offers neither an H.264 nor an MPEG-4 encoder");
}

}  // namespace

// The FFmpeg objects of one file; every step throws TVideoError.
struct TVideoFile::TEncoder {
  AVFormatContext* Format = nullptr;
  AVCodecContext* Codec = nullptr;
  AVStream* Stream = nullptr;
  SwsContext* Scaler = nullptr;
  AVFrame* Frame = nullptr;
  AVPacket* Packet = nullptr;
  std::int64_t NextPts = 0;
  bool HeaderWritten = false;

  TEncoder(const std::string& path, const TVideoSettings& settings) {
    try {
      Open(path, settings);
    } catch (...) {
      Release();
      throw;
    }
  }
  ~TEncoder() { Release(); }

  void Open(const std::string& path, const TVideoSettings& settings) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are no news for the user
    Check(avformat_alloc_output_context2(&Format, nullptr, "mp4", path.c_str()),
          "cannot make an MP4 file");
    const AVCodec* encoder = ChooseEncoder(settings.Codec);
    Stream = avformat_new_stream(Format, nullptr);
    Codec = avcodec_alloc_context3(encoder);
    Frame = av_frame_alloc();
    Packet = av_packet_alloc();
    if (!Stream || !Codec || !Frame || !Packet) throw TVideoError("out of memory for the video");
    Codec->width = settings.Width;
    Codec->height = settings.Height;
    Codec->pix_fmt = AV_PIX_FMT_YUV420P;
    Codec->time_base = AVRational{1, settings.Fps};
    Codec->framerate = AVRational{settings.Fps, 1};
    Codec->gop_size = settings.Fps;  // a key frame, and so a fragment, every second
    if (encoder->id == AV_CODEC_ID_H264) {
      av_opt_set(Codec->priv_data, "preset", "veryfast", 0);
      av_opt_set(Codec->priv_data, "crf", "20", 0);
    } else {
      Codec->bit_rate =
          static_cast<std::int64_t>(settings.Width) * settings.Height * settings.Fps / 4;
      Codec->qmax = 10;  // the fine detail of the set would otherwise drown in blocks
    }
    if (Format->oformat->flags & AVFMT_GLOBALHEADER) Codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(Codec, encoder, nullptr), "cannot open the video encoder");
    Check(avcodec_parameters_from_context(Stream->codecpar, Codec), "cannot set up the stream");
    Stream->time_base = Codec->time_base;
    Check(avio_open(&Format->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot write " + path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    const int written = avformat_write_header(Format, &options);
    av_dict_free(&options);
    Check(written, "cannot write the video's header");
    HeaderWritten = true;

    Frame->format = Codec->pix_fmt;
    Frame->width = settings.Width;
    Frame->height = settings.Height;
    Check(av_frame_get_buffer(Frame, 0), "out of memory for a video frame");
    Scaler =
        sws_getContext(settings.Width, settings.Height, AV_PIX_FMT_RGB32, settings.Width,
                       settings.Height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!Scaler) throw TVideoError("cannot convert pictures to the video's colours");
  }

  void Encode(const QImage& picture) {
    Check(av_frame_make_writable(Frame), "out of memory for a video frame");
    const std::uint8_t* source[] = {picture.constBits()};
    const int sourceStride[] = {static_cast<int>(picture.bytesPerLine())};
    sws_scale(Scaler, source, sourceStride, 0, picture.height(), Frame->data, Frame->linesize);
    Frame->pts = NextPts++;
    Send(Frame);
  }

  // Sends a frame (null: the end) and writes every packet the encoder has ready.
  void Send(AVFrame* frame) {
    Check(avcodec_send_frame(Codec, frame), "cannot encode a video frame");
    for (;;) {
      const int received = avcodec_receive_packet(Codec, Packet);
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
      Check(received, "cannot encode a video frame");
      Packet->duration = 1;  // one frame, in the codec's time base
      av_packet_rescale_ts(Packet, Codec->time_base, Stream->time_base);
      Packet->stream_index = Stream->index;
      Check(av_interleaved_write_frame(Format, Packet), "cannot write the video");
    }
  }

  void Finish() {
    Send(nullptr);
    Check(av_write_trailer(Format), "cannot write the end of the video");
    Check(avio_closep(&Format->pb), "cannot close the video file");
  }

  void Release() {
    sws_freeContext(Scaler);
    av_packet_free(&Packet);
    av_frame_free(&Frame);
    avcodec_free_context(&Codec);
    if (Format) {
      if (Format->pb) avio_closep(&Format->pb);
      avformat_free_context(Format);
    }
  }
};

TVideoFile::TVideoFile(const std::string& path, const TVideoSettings& settings) {
  if (settings.Width < 2 || settings.Height < 2 || settings.Width % 2 || settings.Height % 2)
    throw TVideoError("a video's width and height must be even");
  if (settings.Fps < 1 || settings.Fps > 240)
    throw TVideoError("a video's frame rate must be 1 to 240");
  FEncoder = std::make_unique<TEncoder>(path, settings);
}

// A video that was not finished keeps the fragments written so far.
TVideoFile::~TVideoFile() = default;

void TVideoFile::AddFrame(const QImage& frame) {
  if (FFinished) throw TVideoError("the video is finished");
  if (frame.width() != FEncoder->Codec->width || frame.height() != FEncoder->Codec->height)
    throw TVideoError("a frame does not have the video's size");
  // A copy of its own: the caller goes on drawing into the frame.
  QImage copy = frame.format() == QImage::Format_RGB32
                    ? frame.copy()
                    : frame.convertToFormat(QImage::Format_RGB32);
  FJob.Start([this, picture = std::move(copy)] { FEncoder->Encode(picture); });
  ++FFramesAdded;
}

void TVideoFile::Finish() {
  if (FFinished) return;
  FFinished = true;
  FJob.Wait();
  FEncoder->Finish();
}

std::string TVideoFile::CodecName() const {
  return FEncoder->Codec->codec->name;
}

}  // namespace vortexa
