// Whoever keeps the stream besides the picture (a recording): the loop tells
// it of each connection, hands it every burst of bytes it read, in order,
// before they are drawn, and tells it when the connection ends, by the user,
// a failed port or the program's end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/convert.hpp"

namespace kurvlux {

class StreamSink {
 public:
  virtual ~StreamSink() = default;
  virtual void connected(TextView port, std::int32_t baudRate) = 0;
  virtual void received(const std::uint8_t* bytes, std::size_t count) = 0;
  virtual void disconnected() = 0;
  // Whether it keeps when each burst arrived: then every burst counts, and
  // the loop reads them as they come instead of gathering them.
  virtual bool timesBursts() const { return false; }
};

}  // namespace kurvlux
