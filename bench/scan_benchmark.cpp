// How long a scan of N entries takes in the main window, from the three
// outputs to the filtered list (the disk tool's answers are given, so only
// the program's own work is timed). Prints one line per size:
//   parse+filter N entries: X ms   (the median of five scans)

#include "app/Startup.h"
#include "devices/mainWindow.h"
#include "runtime/DesktopServices.h"
#include "runtime/Runtime.h"
#include "scan/DeviceScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Answers each command line with the output chosen for it, at once.
class AnsweringDesktop : public DesktopServices {
public:
    std::map<std::string, std::string> outputs;

    ProcessResult RunCommand(const std::string& commandLine) override
    {
        auto found = outputs.find(commandLine);
        return found == outputs.end() ? ProcessResult{0, "/dev/disk0s1\n", ""} : ProcessResult{0, found->second, ""};
    }
    void MsgBox(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    void Beep() override {}
    void ShowURL(const std::string&) override {}
};

// count entries as awk prints them; every third is one the filter drops.
void Answer(AnsweringDesktop& desktop, int count)
{
    std::string names, nodes, mounted;
    for (int i = 0; i < count; ++i) {
        const bool drop = i % 3 == 0;
        names += (drop ? (i % 2 ? "Preboot" : "Notapplicable") : "Volume") + std::to_string(i) + "\n";
        nodes += "/dev/disk" + std::to_string(i) + "s1\n";
        mounted += i % 2 ? "Yes\n" : "No\n";
    }
    desktop.outputs = {{ScanQuery::kNames, names}, {ScanQuery::kNodes, nodes}, {ScanQuery::kMounted, mounted}};
}

double MedianScanMilliseconds(mainWindow& window, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        window.scanBtn_Action(window.scanBtn());
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    RuntimeInit(argc, argv);
    RuntimePerformInitializers(SystemInitializers());
    auto desktop = std::make_shared<AnsweringDesktop>();
    SetDesktopServices(desktop);
    std::shared_ptr<mainWindow> window = mainWindow::Instance();

    for (int count : {10000, 20000, 40000}) {
        Answer(*desktop, count);
        const double ms = MedianScanMilliseconds(*window, 5);
        const int64_t kept = window->theParsedResult()->ListCount();
        if (kept != count - (count + 2) / 3) {
            std::fprintf(stderr, "scan_benchmark: %d entries gave %lld rows\n", count, static_cast<long long>(kept));
            return 1;
        }
        std::printf("parse+filter %d entries: %.1f ms\n", count, ms);
    }
    SetDesktopServices(nullptr);
    RuntimePerformFinalizers();
    return 0;
}
