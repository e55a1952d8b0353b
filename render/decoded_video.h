// Tests' way of reading a video back: every frame decoded through libavformat
// and libavcodec, independently of the encoder's code.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <string>
#include <vector>

namespace vortexa::test_support {

struct TDecodedFrame {
  int Width;
  int Height;
  int CentreLuma;  // the Y sample at the middle of the frame
};

// Every frame of the file's first video stream, in presentation order.
inline std::vector<TDecodedFrame> DecodeVideo(const std::string& path) {
  std::vector<TDecodedFrame> frames;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return frames;
  avformat_find_stream_info(format, nullptr);
  const AVCodec* decoder = nullptr;
  const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (stream < 0) {
    avformat_close_input(&format);
    return frames;
  }
  AVCodecContext* codec = avcodec_alloc_context3(decoder);
  avcodec_parameters_to_context(codec, format->streams[stream]->codecpar);
  avcodec_open2(codec, decoder, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const auto drain = [&] {
    while (avcodec_receive_frame(codec, frame) == 0)
      frames.push_back({frame->width, frame->height,
                        frame->data[0][frame->height / 2 * frame->linesize[0] + frame->width / 2]});
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream && avcodec_send_packet(codec, packet) == 0) drain();
    av_packet_unref(packet);
  }
  avcodec_send_packet(codec, nullptr);
  drain();
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  return frames;
}

}  // namespace vortexa::test_support
