// bench <wizard program> <floor program> [runs] [--breakdown] [--cpu N]
// Times the wizard under this machine's Wine as a person meets it: from the
// creation of its process to its first page painted, and from a press of
// Next to the next page painted. The same is timed for the floor program,
// the platform's plain dialog boxes showing two pages alike, and the medians
// of both and their ratio are printed. Both programs mark those moments
// themselves (WIZ_TIMING), with the same clock. Runs take turns, so that
// both meet the same conditions. The wizard needs its product installed
// (scripts/bench.sh). With --breakdown the medians of each of the wizard's
// own steps of the start and of the page change are printed too. With --cpu
// the measured programs run on that processor alone.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/wizwalk/wizdrive.h"

namespace {

const int kFirstPage = 2805;
const int kNextButton = 5544;
const int kQuitConfirm = 2820;
const DWORD kTimeoutMs = 60000;
// The processor the measured programs run on (--cpu N), or -1 for any.
int g_cpu = -1;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * (double)counter.QuadPart / (double)frequency.QuadPart;
}

struct Sample {
    double first = -1;  // start to first page, ms
    double next = -1;   // Next to the next page, ms; -1 when Next ended the program
    int nextPage = 0;
};

// Ends the program as a person would, with Cancel (and the confirmation).
void EndProgram(wizdrive::Program& program) {
    for (int step = 0; step < 4 && program.Running(); ++step) {
        HWND active = program.ActiveDialog();
        if (active)
            wizdrive::Click(active, wizdrive::TemplateIdOf(active) == kQuitConfirm ? IDOK : IDCANCEL);
        if (program.WaitForExit(3000)) return;
    }
    program.Kill();
}

// The wizard's own marks of one run: (milliseconds since its process was
// created, step), in order.
typedef std::vector<std::pair<double, std::string>> Marks;

Marks ReadMarks(const std::string& file) {
    Marks marks;
    FILE* f = fopen(file.c_str(), "rb");
    if (!f) return marks;
    char line[256];
    while (fgets(line, sizeof line, f)) {
        char* end = nullptr;
        double ms = strtod(line, &end);
        if (end == line) continue;
        std::string step = end + (*end == ' ' ? 1 : 0);
        while (!step.empty() && (step.back() == '\n' || step.back() == '\r')) step.pop_back();
        marks.emplace_back(ms, step);
    }
    fclose(f);
    return marks;
}

// Steps in the order first seen, each with its durations over the runs.
struct Breakdown {
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> times;
    std::vector<double> totals;
    void Add(const std::string& step, double ms) {
        if (!times.count(step)) order.push_back(step);
        times[step].push_back(ms);
    }
};

// The start: every mark up to the first page on the screen, each step the
// time since the mark before (the first since the process was created: the
// loader, the libraries and the runtime).
void AddStart(const Marks& marks, int firstPage, Breakdown& start) {
    std::string last = "page " + std::to_string(firstPage) + " painted";
    double before = 0;
    std::string previous = "process created";
    for (const auto& mark : marks) {
        start.Add(previous + " -> " + mark.second, mark.first - before);
        before = mark.first;
        previous = mark.second;
        if (mark.second == last) {
            start.totals.push_back(mark.first);
            return;
        }
    }
}

// The page change: from the first page's Next to the next page on the screen.
void AddChange(const Marks& marks, int firstPage, Breakdown& change) {
    std::string from = "page " + std::to_string(firstPage) + " next";
    size_t i = 0;
    while (i < marks.size() && marks[i].second != from) ++i;
    if (i == marks.size()) return;
    double begin = marks[i].first;
    for (size_t j = i + 1; j < marks.size(); ++j) {
        change.Add(marks[j - 1].second + " -> " + marks[j].second, marks[j].first - marks[j - 1].first);
        if (marks[j].second.find(" painted") != std::string::npos &&
            marks[j].second != "page " + std::to_string(firstPage) + " painted") {
            change.totals.push_back(marks[j].first - begin);
            return;
        }
    }
}

// The first mark of a painted page other than `than` at or after `from`;
// its index, or -1.
int PaintedAfter(const Marks& marks, size_t from, int than, int* page) {
    for (size_t i = from; i < marks.size(); ++i) {
        int id = 0;
        char step[32] = "";
        if (sscanf(marks[i].second.c_str(), "page %d %31s", &id, step) == 2 &&
            !strcmp(step, "painted") && id != than) {
            *page = id;
            return (int)i;
        }
    }
    return -1;
}

// The two figures from a run's own marks: the first page painted, counted
// from the process's creation, and Next to the next page painted.
void FromMarks(const Marks& marks, Sample& sample) {
    int page = 0;
    int first = PaintedAfter(marks, 0, 0, &page);
    if (first < 0 || page != kFirstPage) return;
    sample.first = marks[first].first;
    std::string next = "page " + std::to_string(kFirstPage) + " next";
    for (size_t i = first; i < marks.size(); ++i) {
        if (marks[i].second != next) continue;
        int after = PaintedAfter(marks, i, kFirstPage, &page);
        if (after >= 0) {
            sample.next = marks[after].first - marks[i].first;
            sample.nextPage = page;
        }
        return;
    }
}

// Waits until the marks hold a painted page other than `than`.
bool WaitForPainted(const wizdrive::Program& program, const std::string& file, int than) {
    double begin = Now();
    for (;;) {
        int page = 0;
        if (PaintedAfter(ReadMarks(file), 0, than, &page) >= 0) return true;
        if (!program.Running() || Now() - begin > kTimeoutMs) return false;
        Sleep(5);
    }
}

// One run of a program. Both programs mark their steps in `marksFile`
// (WIZ_TIMING), and the figures come from those marks: an onlooker asking
// for the program's windows every millisecond would keep the window server
// busy and slow down the very program it times.
bool Measure(const std::string& exe, const std::string& marksFile, Sample& sample,
             Marks& marks) {
    DeleteFileA(marksFile.c_str());
    SetEnvironmentVariableA("WIZ_TIMING", marksFile.c_str());
    wizdrive::Program program;
    bool started = program.Start(exe, std::string(), g_cpu >= 0);
    SetEnvironmentVariableA("WIZ_TIMING", nullptr);
    if (!started) {
        fprintf(stderr, "bench: %s cannot be started\n", exe.c_str());
        return false;
    }
    if (g_cpu >= 0) {
        SetProcessAffinityMask(program.Handle(), (DWORD_PTR)1 << g_cpu);
        program.Resume();
    }
    HWND page = program.WaitForDialog(kFirstPage, kTimeoutMs, 5);
    // Next is pressed once the page is on the screen, as a person would.
    if (!page || !WaitForPainted(program, marksFile, 0)) {
        fprintf(stderr, "bench: %s showed no first page\n", exe.c_str());
        return false;
    }
    wizdrive::Click(page, kNextButton);
    WaitForPainted(program, marksFile, kFirstPage);
    EndProgram(program);
    marks = ReadMarks(marksFile);
    FromMarks(marks, sample);
    if (sample.first < 0) {
        fprintf(stderr, "bench: %s left no mark of its first page\n", exe.c_str());
        return false;
    }
    return true;
}

std::string Figure(double ms) {
    char text[32];
    if (ms < 0) return "   none";
    snprintf(text, sizeof text, "%7.1f", ms);
    return text;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintRow(const char* what, const char* floorName, const std::vector<double>& wizard,
              const std::vector<double>& floor) {
    double w = Median(wizard), f = Median(floor);
    if (w < 0) {
        printf("%-20s wizard: no next page in this build (Next ended it)   %s %8.1f ms\n", what,
               floorName, f);
        return;
    }
    printf("%-20s wizard %8.1f ms   %-7s %8.1f ms   ratio %5.2f\n", what, w, floorName, f,
           f > 0 ? w / f : 0.0);
}

void PrintBreakdown(const char* what, const Breakdown& b) {
    printf("\n%s, medians of each step (ms):\n", what);
    double sum = 0;
    for (const std::string& step : b.order) {
        double m = Median(b.times.at(step));
        sum += m;
        printf("  %8.2f  %s\n", m, step.c_str());
    }
    printf("  %8.2f  sum of the medians; median of the totals %.2f\n", sum, Median(b.totals));
}

}  // namespace

// One program of the comparison and what was measured of it.
struct Measured {
    std::string name;
    std::string exe;
    std::vector<double> first, next;
    Breakdown start, change;
};

int main(int argc, char** argv) {
    std::vector<std::string> args;
    bool breakdown = false;
    std::string floor6;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--breakdown"))
            breakdown = true;
        else if (!strcmp(argv[i], "--cpu") && i + 1 < argc)
            g_cpu = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--floor6") && i + 1 < argc)
            floor6 = argv[++i];
        else
            args.push_back(argv[i]);
    }
    if (args.size() < 2 || args.size() > 3) {
        fprintf(stderr,
                "usage: bench <wizard program> <floor program> [runs] [--floor6 <floor program "
                "with Common Controls 6>] [--breakdown] [--cpu N]\n");
        return 2;
    }
    int runs = args.size() == 3 ? atoi(args[2].c_str()) : 7;
    if (runs < 1 || runs > 100) runs = 7;
    std::vector<Measured> programs(floor6.empty() ? 2 : 3);
    programs[0].name = "wizard";
    programs[0].exe = args[0];
    programs[1].name = "floor";
    programs[1].exe = args[1];
    if (!floor6.empty()) {
        programs[2].name = "floor6";
        programs[2].exe = floor6;
    }
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string marksFile = std::string(temp) + "wizbench-" + std::to_string(GetCurrentProcessId()) +
                            ".txt";

    // One start of each before timing: the first start of any program under
    // a fresh Wine server pays for loading the server and the system libraries.
    Marks marks;
    for (Measured& program : programs) {
        Sample warm;
        if (!Measure(program.exe, marksFile, warm, marks)) return 1;
    }

    for (int i = 0; i < runs; ++i) {
        printf("run %2d:", i + 1);
        for (Measured& program : programs) {
            Sample sample;
            if (!Measure(program.exe, marksFile, sample, marks)) return 1;
            if (breakdown) {
                AddStart(marks, kFirstPage, program.start);
                AddChange(marks, kFirstPage, program.change);
            }
            program.first.push_back(sample.first);
            if (sample.next >= 0) program.next.push_back(sample.next);
            printf("  %s %7.1f / %s ms", program.name.c_str(), sample.first,
                   Figure(sample.next).c_str());
        }
        printf("\n");
        fflush(stdout);
    }
    DeleteFileA(marksFile.c_str());
    printf("\nMedians of %d runs (start to first page, Next to next page):\n", runs);
    for (size_t f = 1; f < programs.size(); ++f) {
        PrintRow("start to first page", programs[f].name.c_str(), programs[0].first,
                 programs[f].first);
        PrintRow("Next to next page", programs[f].name.c_str(), programs[0].next, programs[f].next);
    }
    if (breakdown) {
        for (const Measured& program : programs) {
            printf("\n== inside the %s", program.name.c_str());
            PrintBreakdown("Start to the first page on the screen", program.start);
            PrintBreakdown("Next to the next page on the screen", program.change);
        }
    }
    return 0;
}
