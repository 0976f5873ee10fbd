#include "app/startup_probe.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>

namespace vostrel::app {
namespace {

constexpr char kVariable[] = "VOSTREL_STARTUP_PROBE";

std::int64_t Nanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// Field 22 of /proc/self/stat: clock ticks from boot to the process's start.
// The command name (field 2) may hold spaces, so count from its closing ')'.
std::optional<std::int64_t> ProcessStartSinceBootNs() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  const QByteArray line = stat.readAll();
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  constexpr qsizetype kStartTimeAfterName = 22 - 3;
  if (fields.size() <= kStartTimeAfterName) {
    return std::nullopt;
  }
  bool ok = false;
  const qlonglong ticks = fields[kStartTimeAfterName].toLongLong(&ok);
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  if (!ok || ticksPerSecond <= 0) {
    return std::nullopt;
  }
  return ticks * (1'000'000'000 / ticksPerSecond);
}

// User and system time of all the process's threads so far.
std::int64_t CpuMicroseconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) {
    return -1;
  }
  const auto micros = [](const timeval& t) {
    return std::int64_t{t.tv_sec} * 1'000'000 + t.tv_usec;
  };
  return micros(usage.ru_utime) + micros(usage.ru_stime);
}

std::int64_t PeakResidentKib() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) {
    return -1;
  }
  // Read it whole: a /proc file has no size, so QFile::atEnd() holds at once.
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) {
      return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
  }
  return -1;
}

class FirstPaintProbe final : public QObject {
 public:
  FirstPaintProbe(QWidget& window, std::optional<std::int64_t> launchedAtMonotonicNs)
      : QObject(&window), window_(window), launchedAt_(launchedAtMonotonicNs) {
    window_.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Paint) {
      window_.removeEventFilter(this);
      // The children paint in the same pass right after the window, and the
      // pass ends by flushing the picture to the screen; a zero timer fires
      // once all of that is done.
      QTimer::singleShot(0, this, &FirstPaintProbe::Report);
    }
    return false;
  }

 private:
  void Report() {
    std::int64_t elapsedNs = -1;
    if (launchedAt_) {
      elapsedNs = Nanoseconds(CLOCK_MONOTONIC) - *launchedAt_;
    } else if (const auto startedAt = ProcessStartSinceBootNs()) {
      elapsedNs = Nanoseconds(CLOCK_BOOTTIME) - *startedAt;
    }
    std::printf("startup_us=%lld cpu_us=%lld peak_rss_kib=%lld\n",
                static_cast<long long>(elapsedNs / 1000), static_cast<long long>(CpuMicroseconds()),
                static_cast<long long>(PeakResidentKib()));
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }

  QWidget& window_;
  std::optional<std::int64_t> launchedAt_;
};

}  // namespace

void WatchStartUpIfAsked(QWidget& window) {
  if (!qEnvironmentVariableIsSet(kVariable)) {
    return;
  }
  bool isNumber = false;
  const qlonglong launchedAt = qEnvironmentVariable(kVariable).toLongLong(&isNumber);
  // A value that is no recent time, such as 1, merely switches the probe on.
  constexpr std::int64_t kRecentNs = 60'000'000'000;
  const std::int64_t now = Nanoseconds(CLOCK_MONOTONIC);
  const bool isLaunchTime =
      isNumber && launchedAt > 0 && launchedAt <= now && now - launchedAt < kRecentNs;
  new FirstPaintProbe(window,
                      isLaunchTime ? std::optional<std::int64_t>(launchedAt) : std::nullopt);
}

}  // namespace vostrel::app
