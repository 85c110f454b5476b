#include "sim/frame_reader.h"

#include "ecr/frames.h"

namespace vestok {

std::optional<TLineEvent> TFrameReader::Emit(TLineEvent::Kind kind) {
  TLineEvent e;
  e.kind = kind;
  e.bytes = std::move(frame_);
  e.fillerBefore = filler_;
  frame_.clear();
  filler_ = 0;
  state_ = State::Idle;
  return e;
}

std::optional<TLineEvent> TFrameReader::FeedIdle(char byte) {
  switch (byte) {
    case FillerChar:
      ++filler_;
      return std::nullopt;
    case DeselectChar:
      frame_ = byte;
      state_ = State::Deselect;
      return std::nullopt;
    case SelectChar:
      frame_ = byte;
      state_ = State::Select;
      return std::nullopt;
    case FrameStart:
      frame_ = byte;
      text_.clear();
      state_ = State::Command;
      return std::nullopt;
    case AckChar:
      frame_ = byte;
      return Emit(TLineEvent::Kind::Ack);
    default:
      frame_ = byte;
      return Emit(TLineEvent::Kind::Noise);
  }
}

std::optional<TLineEvent> TFrameReader::Feed(char byte) {
  switch (state_) {
    case State::Idle:
      return FeedIdle(byte);
    case State::Deselect:
      if (byte == DeselectChar) {
        frame_ += byte;
        if (frame_.size() == 3) return Emit(TLineEvent::Kind::Deselect);
        return std::nullopt;
      }
      {
        auto noise = Emit(TLineEvent::Kind::Noise);  // an incomplete deselection
        pending_ = FeedIdle(byte);
        return noise;
      }
    case State::Select:
      if (byte == SelectChar) {
        frame_ += byte;
        state_ = State::SelectDigits;
        return std::nullopt;
      }
      {
        auto noise = Emit(TLineEvent::Kind::Noise);
        pending_ = FeedIdle(byte);
        return noise;
      }
    case State::SelectDigits:
      if (byte >= '0' && byte <= '9' && frame_.size() < 7) {
        frame_ += byte;
        return std::nullopt;
      }
      {
        const bool hasDigits = frame_.size() > 2;
        int n = 0;
        for (std::size_t i = 2; i < frame_.size(); ++i) n = n * 10 + (frame_[i] - '0');
        auto e = Emit(hasDigits ? TLineEvent::Kind::Select : TLineEvent::Kind::Noise);
        e->logicNo = n;
        pending_ = FeedIdle(byte);
        return e;
      }
    case State::Command:
      frame_ += byte;
      if (byte == FrameEnd) {
        state_ = State::Check;
      } else {
        text_ += byte;
      }
      return std::nullopt;
    case State::Check:
      frame_ += byte;
      if (frame_.size() == text_.size() + 4) {
        const std::string checked = text_ + FrameEnd;
        const bool ok = frame_.substr(frame_.size() - 2) == CheckBytes(checked);
        std::string text = std::move(text_);
        text_.clear();
        auto e = Emit(TLineEvent::Kind::Command);
        e->text = std::move(text);
        e->checkOk = ok;
        return e;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<TLineEvent> TFrameReader::Pending() {
  auto p = std::move(pending_);
  pending_.reset();
  return p;
}

}  // namespace vestok
