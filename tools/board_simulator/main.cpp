// A board without hardware: a pseudo-terminal whose far end behaves like the
// board's serial port, streaming one sample byte after another at a chosen
// byte rate. The first line of stdout is the path of that far end; one line
// on stderr at exit says what was written.
//
// While nobody has the far end open, samples are generated and dropped, as a
// real board keeps sending whether or not a program listens; written bytes
// are never dropped, so a reader that falls behind makes the writer wait
// (and the exit line says so) instead of losing samples.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sample_stream.hpp"

namespace {

using namespace board_simulator;

// Set by SIGINT/SIGTERM; the only state a signal handler may touch.
volatile sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

struct Options {
  std::uint64_t rate = 25000;
  Wave wave = Wave::sine;
  std::string filePath;
  std::uint64_t period = 1000;
  double seconds = 0;  // 0 runs until a signal
  bool waitForReader = false;
  std::string linkPath;
};

void usage(std::FILE* out) {
  std::fputs(
      "usage: board_simulator [--rate BYTES_PER_SECOND] [--wave "
      "sine|square|triangle|sawtooth|ramp|noise|file:PATH]\n"
      "                       [--period SAMPLES] [--seconds N] [--wait-for-reader] [--link PATH]\n"
      "Prints the pseudo-terminal path on the first line of stdout, then streams samples to it.\n"
      "  --rate        bytes per second (default 25000, up to 100000000)\n"
      "  --wave        sample shape (default sine); ramp counts 0..255 so every lost byte shows\n"
      "  --period      samples per cycle of sine, square, triangle, sawtooth (default 1000)\n"
      "  --seconds     stop after N seconds of streaming (default: until SIGINT/SIGTERM)\n"
      "  --wait-for-reader  start the clock only when the far end is first opened\n"
      "  --link PATH   make PATH a symbolic link to the far end (replaced atomically)\n",
      out);
}

bool parseUnsigned(const char* text, std::uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-') return false;
  value = parsed;
  return true;
}

// Empty when the options are sound; otherwise what was wrong, named as the
// user typed it.
std::string parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      std::exit(0);
    } else if (arg == "--wait-for-reader") {
      options.waitForReader = true;
      continue;
    }
    if (arg != "--rate" && arg != "--period" && arg != "--seconds" && arg != "--link" && arg != "--wave")
      return "unknown option '" + arg + "'";
    if (i + 1 >= argc) return arg + " needs a value";
    const std::string value = argv[++i];
    const auto wrong = [&](const char* wanted) { return arg + " takes " + wanted + ", not '" + value + "'"; };
    if (arg == "--rate") {
      if (!parseUnsigned(value.c_str(), options.rate) || options.rate == 0 || options.rate > 100'000'000)
        return wrong("1 to 100000000 bytes per second");
    } else if (arg == "--period") {
      if (!parseUnsigned(value.c_str(), options.period) || options.period == 0)
        return wrong("a whole number of samples above 0");
    } else if (arg == "--seconds") {
      char* end = nullptr;
      options.seconds = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !(options.seconds >= 0) || options.seconds > 1e7)
        return wrong("0 to 10000000 seconds");
    } else if (arg == "--link") {
      options.linkPath = value;
    } else {
      const auto wave = waveFromName(value);
      if (!wave) return wrong("sine, square, triangle, sawtooth, ramp, noise or file:PATH");
      options.wave = *wave;
      if (*wave == Wave::file) options.filePath = value.substr(5);
    }
  }
  return {};
}

std::uint64_t monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * nanosecondsPerSecond +
         static_cast<std::uint64_t>(now.tv_nsec);
}

// Sleeps until the monotonic clock reads `moment`, or a signal arrives.
void sleepUntil(std::uint64_t moment) {
  timespec until{};
  until.tv_sec = static_cast<time_t>(moment / nanosecondsPerSecond);
  until.tv_nsec = static_cast<long>(moment % nanosecondsPerSecond);
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

// True while some process has the far end open. The master reports a hang-up
// as long as no slave descriptor is open (once one has been opened and closed).
bool readerAttached(int master) {
  pollfd p{master, POLLOUT, 0};
  if (poll(&p, 1, 0) < 0) return false;
  return (p.revents & POLLHUP) == 0;
}

// Closing the master hangs the far end up and discards what its reader has
// not taken yet; at the end of a timed run give the reader up to a second to
// take the last bytes.
void letReaderDrain(int master, const std::string& slavePath) {
  if (!readerAttached(master)) return;
  const int slave = open(slavePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) return;
  const std::uint64_t giveUp = monotonicNanoseconds() + nanosecondsPerSecond;
  // Bytes pass the kernel's buffers asynchronously: wait for several empty
  // answers in a row, not the first one.
  int emptyAnswers = 0;
  while (!stopRequested && emptyAnswers < 10 && monotonicNanoseconds() < giveUp) {
    int waiting = 0;
    if (ioctl(slave, FIONREAD, &waiting) != 0) break;
    emptyAnswers = waiting > 0 ? 0 : emptyAnswers + 1;
    sleepUntil(monotonicNanoseconds() + 5'000'000);
  }
  close(slave);
}

// What a reader left unread stays in the terminal's input queue and would
// reach the next reader as if it were new: a board's samples are live, so
// discard them when the reader goes away.
void discardUnread(const std::string& slavePath) {
  const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) return;
  tcflush(slave, TCIFLUSH);
  close(slave);
}

struct Stats {
  std::uint64_t written = 0;
  std::uint64_t dropped = 0;
  std::uint64_t waits = 0;
  std::uint64_t waitedNanoseconds = 0;
};

enum class WriteResult { done, noReader, stopped, failed };

// Writes all of `count` bytes; a full pseudo-terminal makes it wait.
WriteResult writeAll(int master, const std::uint8_t* data, std::size_t count, Stats& stats) {
  std::size_t done = 0;
  bool waiting = false;
  std::uint64_t waitStart = 0;
  while (done < count) {
    const ssize_t n = write(master, data + done, count - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      stats.written += static_cast<std::uint64_t>(n);
      if (done == count) break;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EIO) {
      stats.dropped += count - done;
      return WriteResult::noReader;
    } else if (n < 0 && errno != EAGAIN) {
      std::fprintf(stderr, "board_simulator: write: %s\n", std::strerror(errno));
      return WriteResult::failed;
    }
    // Short write or EAGAIN: the reader has fallen behind.
    if (!waiting) {
      waiting = true;
      ++stats.waits;
      waitStart = monotonicNanoseconds();
    }
    pollfd p{master, POLLOUT, 0};
    poll(&p, 1, 50);
    if (stopRequested) {
      stats.waitedNanoseconds += monotonicNanoseconds() - waitStart;
      return WriteResult::stopped;
    }
    if (p.revents & POLLHUP) {
      stats.waitedNanoseconds += monotonicNanoseconds() - waitStart;
      stats.dropped += count - done;
      return WriteResult::noReader;
    }
  }
  if (waiting) stats.waitedNanoseconds += monotonicNanoseconds() - waitStart;
  return WriteResult::done;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::string problem = parseOptions(argc, argv, options); !problem.empty()) {
    std::fprintf(stderr, "board_simulator: %s\n", problem.c_str());
    usage(stderr);
    return 2;
  }
  std::vector<std::uint8_t> fileBytes;
  if (options.wave == Wave::file) {
    std::ifstream in(options.filePath, std::ios::binary);
    fileBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) fileBytes.clear();
    if (fileBytes.empty()) {
      std::fprintf(stderr, "board_simulator: cannot read samples from '%s'\n", options.filePath.c_str());
      return 2;
    }
  }
  const SampleSource source(options.wave, options.period, std::move(fileBytes));

  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::fprintf(stderr, "board_simulator: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const char* slaveName = ptsname(master);
  if (slaveName == nullptr) {
    std::fprintf(stderr, "board_simulator: ptsname: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string slavePath = slaveName;

  // Raw mode on the far end: no echo, no line editing, no XON/XOFF, no signal
  // characters, no CR/NL translation; every byte value passes unchanged.
  // Terminal settings made through the master apply to the slave.
  termios raw{};
  if (tcgetattr(master, &raw) == 0) {
    cfmakeraw(&raw);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tcsetattr(master, TCSANOW, &raw);
  }
  // Opening and closing the slave once puts the master into its "nobody
  // listens" state, which readerAttached() watches.
  const int probe = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  if (probe >= 0) {
    tcsetattr(probe, TCSANOW, &raw);
    close(probe);
  }

  if (!options.linkPath.empty()) {
    const std::string temporary = options.linkPath + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(slavePath.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), options.linkPath.c_str()) != 0) {
      std::fprintf(stderr, "board_simulator: cannot link '%s': %s\n", options.linkPath.c_str(),
                   std::strerror(errno));
      unlink(temporary.c_str());
      return 1;
    }
  }

  std::printf("%s\n", slavePath.c_str());
  std::fflush(stdout);

  if (options.waitForReader) {
    while (!stopRequested && !readerAttached(master)) sleepUntil(monotonicNanoseconds() + 2'000'000);
  }

  Stats stats;
  const std::uint64_t start = monotonicNanoseconds();
  const bool limited = options.seconds > 0;
  const auto duration = static_cast<std::uint64_t>(options.seconds * 1e9);
  const std::uint64_t total = limited ? bytesDue(options.rate, duration) : UINT64_MAX;
  const std::uint64_t chunk = chunkBytes(options.rate);
  std::vector<std::uint8_t> buffer(4096);
  std::uint64_t produced = 0;  // samples generated: written or dropped
  bool failed = false;
  bool attached = false;

  while (!stopRequested && produced < total) {
    const std::uint64_t now = monotonicNanoseconds() - start;
    std::uint64_t due = bytesDue(options.rate, now);
    if (due > total) due = total;
    if (due <= produced) {
      // Sleep until a chunk is due, or the last bytes of a limited run.
      std::uint64_t target = produced + chunk;
      if (target > total) target = total;
      sleepUntil(start + momentOfByte(options.rate, target));
      continue;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(due - produced, buffer.size()));
    source.fill(produced, buffer.data(), count);
    const bool attachedNow = readerAttached(master);
    if (attached && !attachedNow) discardUnread(slavePath);
    attached = attachedNow;
    if (!attachedNow) {
      stats.dropped += count;
    } else {
      const WriteResult result = writeAll(master, buffer.data(), count, stats);
      if (result == WriteResult::failed) {
        failed = true;
        break;
      }
    }
    produced += count;
  }

  const std::uint64_t elapsed = monotonicNanoseconds() - start;
  if (!failed && !stopRequested) letReaderDrain(master, slavePath);
  const double seconds = static_cast<double>(elapsed) / 1e9;
  std::fprintf(
      stderr,
      "board_simulator: wrote %llu bytes in %.3f s (%.1f B/s, target %llu B/s), dropped %llu without "
      "reader, writing waited %llu times (%.1f ms)\n",
      static_cast<unsigned long long>(stats.written), seconds,
      seconds > 0 ? static_cast<double>(stats.written) / seconds : 0.0,
      static_cast<unsigned long long>(options.rate), static_cast<unsigned long long>(stats.dropped),
      static_cast<unsigned long long>(stats.waits), static_cast<double>(stats.waitedNanoseconds) / 1e6);

  if (!options.linkPath.empty()) {
    // Remove the link only if it still leads to this simulator's terminal.
    std::vector<char> target(slavePath.size() + 2);
    const ssize_t length = readlink(options.linkPath.c_str(), target.data(), target.size());
    if (length == static_cast<ssize_t>(slavePath.size()) &&
        slavePath.compare(0, slavePath.size(), target.data(), length) == 0) {
      unlink(options.linkPath.c_str());
    }
  }
  close(master);
  return failed ? 1 : 0;
}
