// x11_window_watch: starts a program on the X server in $DISPLAY and watches,
// from outside, until its top-level window is on the screen with its content
// drawn; then closes the window the way a user does and waits for the program
// to end. The start-up benchmark (bench/startup) and the quiet-start test
// (tests/app) use it; the program itself carries no instrument.
//
//   x11_window_watch [--timeout SECONDS] [--hold] -- PROGRAM [ARGUMENTS...]
//
// Standard output gets two lines of figures; the program's own output and
// errors go where the watcher's go:
//
//   started pid=<pid> t0_ns=<CLOCK_MONOTONIC ns just before fork>
//   drawn_us=<µs> mapped_us=<µs> cpu_us=<µs> peak_rss_kib=<KiB>
//
// drawn_us and mapped_us count from t0 to the moments described below.
// cpu_us is the processor time (user and system) the program's live threads
// have spent by the drawn moment; peak_rss_kib its peak resident set (VmHWM)
// then. With --hold the window stays open after the second line until a line
// or end of file arrives on standard input, so that another tool can query
// the running program first.
//
// Exit status: 0 when the window was drawn and, once closed, the program
// ended with status 0 in time; 1 when the program failed any of that (a
// message on standard error says which); 2 for bad usage or no X server.
// SECONDS (default 30) bounds each wait: for the drawn window, for --hold's
// line, for the program's end; a program still running then is killed.
//
// Which window, and when "drawn". The watcher selects SubstructureNotify on
// the root window before it starts the program. Without a window manager (as
// on a test's Xvfb) a client's top-level window is a child of the root, so
// the watcher hears its CreateNotify and, at once, asks the DAMAGE extension
// to report every drawing into it, before the program can have mapped it.
// The program's window is the first one mapped (MapNotify, not override-
// redirect) whose _NET_WM_PID is the program's pid; mapped_us is that moment.
// A mapped window is not yet a drawn one: Qt creates its windows with no
// background (back pixmap None), so the server paints nothing into them, and
// the content appears only when Qt, after the first Expose, renders the whole
// window into its backing store and puts that image to the window (one
// xcb_put_image or MIT-SHM put per flush). The server reports that drawing as
// damage. drawn_us is the moment the damage received since the map covers
// every pixel of the window: then the user sees the whole first picture,
// however many puts it took. Damage, unlike Expose, is what the window's
// content actually received, and it needs no help from the program.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kProgramFailed = 1;
constexpr int kUsage = 2;

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

[[noreturn]] void Fail(int status, const std::string& message) {
  std::fprintf(stderr, "x11_window_watch: %s\n", message.c_str());
  std::exit(status);
}

// The first number after `key` on the line of `path` that starts with it.
std::optional<std::int64_t> ProcField(const std::string& path, std::string_view key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.starts_with(key)) {
      const std::size_t digits = line.find_first_of("0123456789", key.size());
      std::int64_t value = 0;
      if (digits != std::string::npos &&
          std::from_chars(line.data() + digits, line.data() + line.size(), value).ec ==
              std::errc{}) {
        return value;
      }
    }
  }
  return std::nullopt;
}

// Processor time of the process's threads in nanoseconds: the first field of
// each thread's schedstat is its run time, to the nanosecond, where
// /proc/<pid>/stat counts in clock ticks (10 ms), too coarse for a start-up.
std::int64_t CpuNs(pid_t pid) {
  std::int64_t total = 0;
  std::error_code error;
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream file(task.path() / "schedstat");
    std::int64_t runNs = 0;
    if (file >> runNs) {
      total += runNs;
    }
  }
  return error ? -1 : total;
}

struct Atoms {
  xcb_atom_t protocols;
  xcb_atom_t deleteWindow;
  xcb_atom_t pid;
};

xcb_atom_t Intern(xcb_connection_t* connection, std::string_view name) {
  const auto cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  if (!reply) {
    Fail(kUsage, "cannot intern " + std::string(name));
  }
  return reply->atom;
}

std::optional<std::uint32_t> WindowPid(xcb_connection_t* connection, xcb_window_t window,
                                       xcb_atom_t pidAtom) {
  const auto cookie = xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(connection, cookie, nullptr), &std::free);
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) {
    return std::nullopt;
  }
  std::uint32_t pid = 0;
  std::memcpy(&pid, xcb_get_property_value(reply.get()), sizeof pid);
  return pid;
}

// Which pixels of the window the damage since the map has reached.
class Coverage {
 public:
  // Returns whether the window, `geometry`'s size, is now covered whole.
  bool Add(const xcb_rectangle_t& area, const xcb_rectangle_t& geometry) {
    if (geometry.width != width_ || geometry.height != height_) {
      width_ = geometry.width;
      height_ = geometry.height;
      drawn_.assign(std::size_t{width_} * height_, 0);
      left_ = drawn_.size();
    }
    const int right = std::min<int>(area.x + area.width, width_);
    const int bottom = std::min<int>(area.y + area.height, height_);
    for (int y = std::max<int>(area.y, 0); y < bottom; ++y) {
      for (int x = std::max<int>(area.x, 0); x < right; ++x) {
        std::uint8_t& pixel =
            drawn_[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)];
        left_ -= 1U - pixel;
        pixel = 1;
      }
    }
    return left_ == 0 && !drawn_.empty();
  }

 private:
  std::uint16_t width_ = 0;
  std::uint16_t height_ = 0;
  std::vector<std::uint8_t> drawn_;
  std::size_t left_ = 0;
};

class Watch {
 public:
  Watch(xcb_connection_t* connection, xcb_window_t root, int timeoutSeconds)
      : connection_(connection),
        root_(root),
        timeoutNs_(std::int64_t{timeoutSeconds} * 1'000'000'000),
        atoms_{Intern(connection, "WM_PROTOCOLS"), Intern(connection, "WM_DELETE_WINDOW"),
               Intern(connection, "_NET_WM_PID")} {
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (damage == nullptr || !damage->present) {
      Fail(kUsage, "the X server has no DAMAGE extension");
    }
    damageNotify_ = static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
    // The extension works only once the client has said which version it speaks.
    free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1),
                                        nullptr));

    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* error = xcb_request_check(connection, selected)) {
      free(error);
      Fail(kUsage, "cannot watch the root window");
    }
  }

  void Start(char** argv) {
    t0_ = MonotonicNs();
    pid_ = fork();
    if (pid_ < 0) {
      Fail(kUsage, std::string("fork: ") + std::strerror(errno));
    }
    if (pid_ == 0) {
      execvp(argv[0], argv);
      std::fprintf(stderr, "x11_window_watch: cannot run %s: %s\n", argv[0], std::strerror(errno));
      _exit(127);
    }
    std::printf("started pid=%d t0_ns=%lld\n", static_cast<int>(pid_), static_cast<long long>(t0_));
    std::fflush(stdout);
  }

  void WaitUntilDrawn() {
    const std::int64_t deadline = MonotonicNs() + timeoutNs_;
    while (drawnAt_ == 0) {
      if (xcb_generic_event_t* event = NextEvent(deadline)) {
        Handle(*event);
        free(event);
      }
    }
    std::printf("drawn_us=%lld mapped_us=%lld cpu_us=%lld peak_rss_kib=%lld\n",
                static_cast<long long>((drawnAt_ - t0_) / 1000),
                static_cast<long long>((mappedAt_ - t0_) / 1000),
                static_cast<long long>(cpuNs_ / 1000), static_cast<long long>(peakRssKib_));
    std::fflush(stdout);
  }

  void Hold() const {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, static_cast<int>(timeoutNs_ / 1'000'000));
    if (ready <= 0) {
      Kill("nothing arrived on standard input in time");
    }
    char buffer[256];
    if (read(STDIN_FILENO, buffer, sizeof buffer) < 0) {
      Kill("cannot read standard input");
    }
  }

  // Asks the window to close, as a window manager's close button does, and
  // returns once the program has ended with status 0.
  void Close() const {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window_;
    message.type = atoms_.protocols;
    message.data.data32[0] = atoms_.deleteWindow;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window_, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);

    const std::int64_t deadline = MonotonicNs() + timeoutNs_;
    while (true) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
          return;
        }
        Fail(kProgramFailed,
             WIFEXITED(status)
                 ? "the program ended with status " + std::to_string(WEXITSTATUS(status))
                 : "the program was killed by signal " + std::to_string(WTERMSIG(status)));
      }
      if (MonotonicNs() > deadline) {
        Kill("the program did not end after its window was closed");
      }
      usleep(1000);
    }
  }

 private:
  [[noreturn]] void Kill(const std::string& why) const {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    Fail(kProgramFailed, why);
  }

  // The next event, or null after a while without one; gives up at `deadline`
  // or when the program ends first.
  xcb_generic_event_t* NextEvent(std::int64_t deadline) {
    if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      return event;
    }
    if (xcb_connection_has_error(connection_) != 0) {
      Kill("lost the X server");
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      Fail(kProgramFailed, "the program ended before its window was drawn");
    }
    if (MonotonicNs() > deadline) {
      Kill("the program's window was not drawn in time");
    }
    pollfd x{xcb_get_file_descriptor(connection_), POLLIN, 0};
    poll(&x, 1, 10);
    return xcb_poll_for_event(connection_);
  }

  void Handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
      const auto& created = reinterpret_cast<const xcb_create_notify_event_t&>(event);
      if (created.parent == root_ && window_ == XCB_NONE) {
        const xcb_damage_damage_t damage = xcb_generate_id(connection_);
        // Unchecked: a window destroyed meanwhile only brings an error event.
        xcb_damage_create(connection_, damage, created.window,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(connection_);
        damages_[created.window] = damage;
      }
    } else if (type == XCB_MAP_NOTIFY) {
      const auto& mapped = reinterpret_cast<const xcb_map_notify_event_t&>(event);
      if (window_ == XCB_NONE && mapped.override_redirect == 0 &&
          damages_.contains(mapped.window) &&
          WindowPid(connection_, mapped.window, atoms_.pid) == static_cast<std::uint32_t>(pid_)) {
        mappedAt_ = MonotonicNs();
        window_ = mapped.window;
      }
    } else if (type == damageNotify_) {
      const std::int64_t now = MonotonicNs();
      const auto& damaged = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
      if (window_ != XCB_NONE && damaged.drawable == window_ &&
          coverage_.Add(damaged.area, damaged.geometry)) {
        drawnAt_ = now;
        const std::string proc = "/proc/" + std::to_string(pid_);
        cpuNs_ = CpuNs(pid_);
        peakRssKib_ = ProcField(proc + "/status", "VmHWM:").value_or(-1);
      }
    }
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::int64_t timeoutNs_;
  Atoms atoms_;
  std::uint8_t damageNotify_ = 0;
  std::unordered_map<xcb_window_t, xcb_damage_damage_t> damages_;
  Coverage coverage_;
  pid_t pid_ = -1;
  xcb_window_t window_ = XCB_NONE;
  std::int64_t t0_ = 0;
  std::int64_t mappedAt_ = 0;
  std::int64_t drawnAt_ = 0;
  std::int64_t cpuNs_ = -1;
  std::int64_t peakRssKib_ = -1;
};

[[noreturn]] void Usage() {
  Fail(kUsage, "usage: x11_window_watch [--timeout SECONDS] [--hold] -- PROGRAM [ARGUMENTS...]");
}

}  // namespace

int main(int argc, char* argv[]) {
  int timeoutSeconds = 30;
  bool hold = false;
  int first = 1;
  for (; first < argc; ++first) {
    const std::string_view option = argv[first];
    if (option == "--") {
      ++first;
      break;
    }
    if (option == "--hold") {
      hold = true;
    } else if (option == "--timeout" && first + 1 < argc) {
      const std::string_view value = argv[++first];
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), timeoutSeconds);
      if (error != std::errc{} || end != value.data() + value.size() || timeoutSeconds <= 0) {
        Usage();
      }
    } else {
      Usage();
    }
  }
  if (first >= argc) {
    Usage();
  }

  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (const int error = xcb_connection_has_error(connection); error != 0) {
    const char* display = std::getenv("DISPLAY");
    Fail(kUsage, "cannot open the display " + std::string(display != nullptr ? display : "") +
                     " (xcb error " + std::to_string(error) + ")");
  }
  // The program must not inherit the watcher's connection.
  fcntl(xcb_get_file_descriptor(connection), F_SETFD, FD_CLOEXEC);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) {
    xcb_screen_next(&screens);
  }

  Watch watch(connection, screens.data->root, timeoutSeconds);
  watch.Start(argv + first);
  watch.WaitUntilDrawn();
  if (hold) {
    watch.Hold();
  }
  watch.Close();
  xcb_disconnect(connection);
  return 0;
}
