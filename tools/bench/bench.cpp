// bench <wizard program> <floor program> [runs] [--breakdown]
// Times the wizard under this machine's Wine as a person meets it: from the
// program's start to its first page on the screen, and from a press of Next
// to the next page on the screen. The same is timed for the floor program,
// the platform's plain dialog boxes showing two pages alike, and the medians
// of both and their ratio are printed. Runs take turns, so that both meet the
// same conditions. The wizard needs its product installed (scripts/bench.sh).
// With --breakdown the wizard also records its own steps (WIZ_TIMING) and the
// medians of each step of the start and of the page change are printed.
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

// A visible page of the program other than the one given, or none.
HWND OtherPage(const wizdrive::Program& program, HWND than) {
    for (HWND dialog : program.Dialogs())
        if (dialog != than && wizdrive::TemplateIdOf(dialog) != 0) return dialog;
    return nullptr;
}

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
    std::string last = "page " + std::to_string(firstPage) + " shown";
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
        if (marks[j].second.find(" shown") != std::string::npos) {
            change.totals.push_back(marks[j].first - begin);
            return;
        }
    }
}

bool Measure(const std::string& exe, Sample& sample) {
    wizdrive::Program program;
    double start = Now();
    if (!program.Start(exe)) {
        fprintf(stderr, "bench: %s cannot be started\n", exe.c_str());
        return false;
    }
    HWND page = program.WaitForDialog(kFirstPage, kTimeoutMs, 1);
    if (!page) {
        fprintf(stderr, "bench: %s showed no first page\n", exe.c_str());
        return false;
    }
    sample.first = Now() - start;

    double pressed = Now();
    wizdrive::Click(page, kNextButton);
    HWND next = nullptr;
    while (!next && program.Running() && Now() - pressed < kTimeoutMs) {
        next = OtherPage(program, page);
        if (!next) Sleep(1);
    }
    if (next) {
        sample.next = Now() - pressed;
        sample.nextPage = wizdrive::TemplateIdOf(next);
    }
    EndProgram(program);
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

void PrintRow(const char* what, const std::vector<double>& wizard, const std::vector<double>& floor) {
    double w = Median(wizard), f = Median(floor);
    if (w < 0) {
        printf("%-26s wizard: no next page in this build (Next ended it)   floor %8.1f ms\n", what, f);
        return;
    }
    printf("%-26s wizard %8.1f ms   floor %8.1f ms   ratio %5.2f\n", what, w, f, f > 0 ? w / f : 0.0);
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

int main(int argc, char** argv) {
    std::vector<std::string> args;
    bool breakdown = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--breakdown"))
            breakdown = true;
        else
            args.push_back(argv[i]);
    }
    if (args.size() < 2 || args.size() > 3) {
        fprintf(stderr, "usage: bench <wizard program> <floor program> [runs] [--breakdown]\n");
        return 2;
    }
    int runs = args.size() == 3 ? atoi(args[2].c_str()) : 7;
    if (runs < 1 || runs > 100) runs = 7;
    const char* wizardExe = args[0].c_str();
    const char* floorExe = args[1].c_str();
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string marksFile = std::string(temp) + "wizbench-" + std::to_string(GetCurrentProcessId()) +
                            ".txt";
    Breakdown start, change;

    // One start of each before timing: the first start of any program under
    // a fresh Wine server pays for loading the server and the system libraries.
    Sample warm;
    if (!Measure(wizardExe, warm) || !Measure(floorExe, warm)) return 1;

    std::vector<double> wizardFirst, wizardNext, floorFirst, floorNext;
    for (int i = 0; i < runs; ++i) {
        Sample w, f;
        // Only the wizard writes marks; the variable is inherited by it alone.
        if (breakdown) {
            DeleteFileA(marksFile.c_str());
            SetEnvironmentVariableA("WIZ_TIMING", marksFile.c_str());
        }
        bool measured = Measure(wizardExe, w);
        SetEnvironmentVariableA("WIZ_TIMING", nullptr);
        if (!measured || !Measure(floorExe, f)) return 1;
        if (breakdown) {
            Marks marks = ReadMarks(marksFile);
            AddStart(marks, kFirstPage, start);
            AddChange(marks, kFirstPage, change);
        }
        wizardFirst.push_back(w.first);
        if (w.next >= 0) wizardNext.push_back(w.next);
        floorFirst.push_back(f.first);
        if (f.next >= 0) floorNext.push_back(f.next);
        printf("run %2d: wizard %7.1f / %s ms   floor %7.1f / %s ms\n", i + 1, w.first,
               Figure(w.next).c_str(), f.first, Figure(f.next).c_str());
        fflush(stdout);
    }
    printf("\nMedians of %d runs (start to first page, Next to next page):\n", runs);
    PrintRow("start to first page", wizardFirst, floorFirst);
    PrintRow("Next to next page", wizardNext, floorNext);
    if (breakdown) {
        DeleteFileA(marksFile.c_str());
        PrintBreakdown("Start to the first page on the screen, inside the wizard", start);
        PrintBreakdown("Next to the next page on the screen, inside the wizard", change);
    }
    return 0;
}
