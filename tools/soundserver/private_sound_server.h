#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace soundserver {

// A PulseAudio server of our own, in a runtime folder of its own: one null
// sink "out" (16-bit stereo at 44.1 kHz) that suspends after 3 s without a
// stream, as a desktop's does. Programs reach it through environment().
class PrivateSoundServer {
public:
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Starts the server and waits until it answers; false with the reason
    // when it cannot start at all.
    bool start(std::string& failure);
    // Kills the server at once, as a crash or an update would.
    void kill();
    // What a client needs: the server's address and SDL's driver for it.
    std::map<std::string, std::string> environment() const;
    // The state of the sink as the server reports it ("SUSPENDED", "RUNNING", ...).
    std::string sinkState() const;
    // How many streams play into the sink, and how many record.
    int streams() const;
    int recordings() const;
    // How far ahead of the clock the sink has played, in microseconds.
    long sinkLatencyUs() const;

private:
    std::string pactl(const std::string& arguments) const;

    std::filesystem::path folder_;
    pid_t pid_ = -1;
};

// What the sink puts out, recorded from its monitor by parec: 16-bit stereo
// samples, each read noted with the monotonic time it arrived.
class Recording {
public:
    // Returns once the sink plays in step with the clock: a null sink that
    // wakes plays up to two seconds ahead first.
    explicit Recording(const PrivateSoundServer& server);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Ends the recording; its samples, interleaved left and right.
    std::vector<std::int16_t> stop();
    // When the frame with this index reached us: the arrival of the read
    // that held it, less the frames after it in that read. An upper bound
    // on when the sink played it. 0 if not recorded.
    std::int64_t frameTimeNs(std::size_t frame) const;
    // The first frame that reached us at or after the time.
    std::size_t frameAt(std::int64_t timeNs) const;

private:
    struct Read {
        std::size_t endFrame;
        std::int64_t arrivedNs;
    };
    void readAll(int fd);

    pid_t pid_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
    std::vector<Read> reads_;
};

// The monotonic clock the game's notes use too, in nanoseconds.
std::int64_t monotonicNs();

}  // namespace soundserver
