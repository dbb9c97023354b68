// bench <wizard program> <floor program> [runs]
// Times the wizard under this machine's Wine as a person meets it: from the
// program's start to its first page on the screen, and from a press of Next
// to the next page on the screen. The same is timed for the floor program,
// the platform's plain dialog boxes showing two pages alike, and the medians
// of both and their ratio are printed. Runs take turns, so that both meet the
// same conditions. The wizard needs its product installed (scripts/bench.sh).
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: bench <wizard program> <floor program> [runs]\n");
        return 2;
    }
    int runs = argc == 4 ? atoi(argv[3]) : 7;
    if (runs < 1 || runs > 100) runs = 7;

    // One start of each before timing: the first start of any program under
    // a fresh Wine server pays for loading the server and the system libraries.
    Sample warm;
    if (!Measure(argv[1], warm) || !Measure(argv[2], warm)) return 1;

    std::vector<double> wizardFirst, wizardNext, floorFirst, floorNext;
    for (int i = 0; i < runs; ++i) {
        Sample w, f;
        if (!Measure(argv[1], w) || !Measure(argv[2], f)) return 1;
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
    return 0;
}
