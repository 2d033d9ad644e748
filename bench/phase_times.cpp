// Runs the steps of mevlo, `lodtool list` or `lodtool repack` one after the
// other, as the programs do, and reports on standard error the wall time of
// each step with the resident memory after it and the peak so far. It tells
// which step a change should target; bench/run measures the real programs.
//
// Usage: phase_times mevlo IN.lod OUT.3ds
//        phase_times list IN.lod            (listing on standard output)
//        phase_times repack IN.lod OUT.lod
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "driver/commands/stdout_messages.h"
#include "io/atomic_output.h"
#include "io/input_file.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_model.h"
#include "lod/lod_node.h"
#include "lod/serialize/lod_file_writer.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"
#include "out3ds/write3ds.h"

namespace {

using Clock = std::chrono::steady_clock;

// VmRSS and VmHWM of this process in MB.
void memoryNow(double& rss, double& peak) {
    rss = peak = 0;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        long kb = 0;
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) rss = static_cast<double>(kb) / 1024.0;
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) peak = static_cast<double>(kb) / 1024.0;
    }
    std::fclose(status);
}

class PhaseClock {
public:
    PhaseClock() : start_(Clock::now()), last_(start_) {
        std::fprintf(stderr, "%-10s %10s %10s %10s\n", "step", "wall ms", "rss MB", "peak MB");
    }
    void step(const char* name) {
        const Clock::time_point now = Clock::now();
        double rss = 0, peak = 0;
        memoryNow(rss, peak);
        std::fprintf(stderr, "%-10s %10.1f %10.1f %10.1f\n", name,
                     std::chrono::duration<double, std::milli>(now - last_).count(), rss, peak);
        last_ = Clock::now();
    }
    ~PhaseClock() {
        std::fprintf(stderr, "%-10s %10.1f\n", "total",
                     std::chrono::duration<double, std::milli>(Clock::now() - start_).count());
    }

private:
    Clock::time_point start_;
    Clock::time_point last_;
};

int fail(const std::string& what) {
    std::fprintf(stderr, "phase_times: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool mevloRun = argc == 4 && std::strcmp(argv[1], "mevlo") == 0;
    const bool listRun = argc == 3 && std::strcmp(argv[1], "list") == 0;
    const bool repackRun = argc == 4 && std::strcmp(argv[1], "repack") == 0;
    if (!mevloRun && !listRun && !repackRun) {
        return fail("usage: phase_times mevlo IN OUT | list IN | repack IN OUT");
    }
    std::string error;
    PhaseClock clock;
    mevlo::InputFile input;
    if (!input.open(argv[2], error)) return fail(error);
    clock.step("read");
    // The messages go where the commands print them.
    mevlo::StdoutMessages messages;
    mevlo::LodModel model;
    model.loadInput(std::move(input), messages);
    clock.step("load");

    if (mevloRun) {
        mevlo::Scene3ds scene;
        mevlo::ConversionState conversion(scene);
        if (!mevlo::convertTree(model.root.get(), conversion)) return fail(conversion.failure);
        clock.step("convert");
        mevlo::AtomicOutput out;
        if (!out.open(argv[3], error)) return fail(error);
        mevlo::write3ds(scene, out, messages);
        if (!out.commit(error)) return fail(error);
        clock.step("write");
        model.release();
        clock.step("release");
    } else if (listRun) {
        {
            mevlo::ListingWriter listing([](const char* text, size_t size) { std::fwrite(text, 1, size, stdout); });
            if (model.root) model.root->print(listing);
        }
        std::fflush(stdout);
        clock.step("list");
        model.release();
        clock.step("release");
    } else {
        std::vector<uint8_t> output;
        if (!mevlo::writeLodFile(model, messages, output, error)) return fail(error);
        clock.step("serialize");
        if (!mevlo::writeWholeFile(argv[3], output, error)) return fail(error);
        clock.step("write");
        model.release();
        clock.step("release");
    }
    return 0;
}
