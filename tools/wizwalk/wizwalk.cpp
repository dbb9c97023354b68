// wizwalk <wizard program> <picture folder> [wizard arguments ...]
// Starts the wizard and walks it along one road, as a person would: types a
// name, a company and fax and voice numbers where pages ask for them (those
// of a person of the user's language), keeps
// the other answers, presses Next on every page and closes the text editor
// and the registration program the last page starts. Before it leaves a
// window it saves a picture of it as NN-<name>.bmp in the folder.
// Exit code: 0 when the wizard ended by itself, 1 when the walk failed, 2 for
// a wrong command line.
#include <stdio.h>
#include <string.h>

#include <string>

#include "tools/wizwalk/wizdrive.h"

namespace {

const DWORD kFirstPageTimeoutMs = 60000;
const DWORD kWalkTimeoutMs = 180000;

// Writes a 24-bit BMP of what the screen shows inside rect.
bool SaveScreen(const RECT& rect, const std::string& path) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file wants it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    bool ok = false;
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        SelectObject(memory, old);
        GdiFlush();
    }
    if (ok) {
        DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
        DWORD imageSize = stride * (DWORD)height;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        FILE* out = fopen(path.c_str(), "wb");
        ok = out && fwrite(&file, sizeof file, 1, out) == 1 &&
             fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             fwrite(bits, imageSize, 1, out) == 1;
        if (out && fclose(out) != 0) ok = false;
    }
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return ok;
}

// Lets the window's program finish drawing before the picture is taken.
void WaitUntilDrawn(HWND window) {
    DWORD_PTR ignored = 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(500);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// A text of the user's code page.
std::string Ansi(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

// What a person of the user's language types: their own names and numbers,
// in Japanese with characters whose second byte is a backslash (表, ソ).
wizdrive::RoadAnswers AnswersForTheUser() {
    wizdrive::RoadAnswers answers;
    switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_JAPANESE:
        answers.UserName = Ansi(L"山田 花子");
        answers.Company = Ansi(L"表参道ソフトウェア株式会社");
        answers.FaxNumber = "+81 3 5555 0100";
        answers.VoiceNumber = "+81 3 5555 0199";
        answers.SharedNumber = "+81 3 5555 0123";
        break;
    case LANG_FRENCH:
        answers.UserName = Ansi(L"Hélène Lefèvre");
        answers.Company = Ansi(L"Imprimerie Lefèvre & Fils");
        answers.FaxNumber = "+33 1 55 55 01 00";
        answers.VoiceNumber = "+33 1 55 55 01 99";
        answers.SharedNumber = "+33 1 55 55 01 23";
        break;
    case LANG_SPANISH:
        answers.UserName = Ansi(L"José Muñoz");
        answers.Company = Ansi(L"Artes Gráficas Muñoz S.L.");
        answers.FaxNumber = "+34 91 555 01 00";
        answers.VoiceNumber = "+34 91 555 01 99";
        answers.SharedNumber = "+34 91 555 01 23";
        break;
    case LANG_GERMAN:
        answers.UserName = Ansi(L"Jürgen Weiß");
        answers.Company = Ansi(L"Druckerei Weiß GmbH");
        answers.FaxNumber = "+49 30 5550100";
        answers.VoiceNumber = "+49 30 5550199";
        answers.SharedNumber = "+49 30 5550123";
        break;
    }
    return answers;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: wizwalk <wizard program> <picture folder> [wizard arguments ...]\n");
        return 2;
    }
    std::string program = argv[1];
    std::string folder = argv[2];
    std::string arguments;
    for (int i = 3; i < argc; ++i) arguments += (i > 3 ? " " : "") + std::string(argv[i]);
    CreateDirectoryA(folder.c_str(), nullptr);

    wizdrive::Program wizard;
    if (!wizard.Start(program, arguments)) {
        fprintf(stderr, "wizwalk: %s cannot be started (error %lu)\n", program.c_str(),
                GetLastError());
        return 1;
    }
    DWORD start = GetTickCount();
    while (wizard.Running() && !wizard.ActiveDialog() &&
           GetTickCount() - start < kFirstPageTimeoutMs)
        Sleep(20);

    int shots = 0;
    auto shown = [&](const std::string& name, HWND window) {
        WaitUntilDrawn(window);
        RECT rect;
        GetWindowRect(window, &rect);
        char file[32];
        snprintf(file, sizeof file, "%02d-%s.bmp", ++shots, name.c_str());
        bool saved = SaveScreen(rect, folder + "\\" + file);
        printf("  %-14s %s\n", name.c_str(), saved ? file : "(no picture)");
        fflush(stdout);
    };
    wizdrive::RoadReport report = wizdrive::WalkRoad(wizard, AnswersForTheUser(),
                                                     kWalkTimeoutMs, shown);
    for (const std::string& text : report.MessageTexts) printf("  message: %s\n", text.c_str());
    if (!report.Failure.empty()) {
        fprintf(stderr, "wizwalk: %s\n", report.Failure.c_str());
        return 1;
    }
    std::string pages;
    for (int id : report.Pages) pages += " " + std::to_string(id);
    printf("Pages left with Next:%s\n", pages.empty() ? " none" : pages.c_str());
    printf("The wizard ended with exit code %lu.\n", wizard.ExitCode());
    return 0;
}
