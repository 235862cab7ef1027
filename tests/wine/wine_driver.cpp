// tavik-wine-driver.exe: the controlling program of the Wine tests.
//
//   tavik-wine-driver --log FILE [--answer N] [--script STEPS] [--timeout MS] PLAYER [ARGS...]
//
// Creates a hidden window titled "Tavik for Windows - test driver", starts PLAYER with
// "/#<window>" and ARGS, answers the player's query (message 10019) with N (default 0), and runs
// the script: comma-separated steps
//   wait:MS       wait (answering messages meanwhile)
//   window        wait until the player window is shown; logs "window W H" (client size)
//   char:C        post the character C (a decimal code) to the player window
//   title         log the player window's title
//   shot:NAME     reads the player's client area back from the screen into NAME.ppm and writes
//                 NAME.req ("frame N x y w h": the frame number of its caption, the area)
//   exit:MS       wait up to MS for the player to end; logs "exited" or "running"
//   clock         logs "clock MS": the milliseconds since the driver started
// Message boxes of the player are logged ("box CAPTION | TEXT") and dismissed whenever they
// appear; the version text the player sends at the end is logged as "version TEXT". At the end
// the driver waits for the player (at most --timeout, default 60000 ms) and logs "end".
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kQueryMessage = 10019;
constexpr ULONG_PTR kVersionId = 0x1234;

FILE* g_log = nullptr;
LRESULT g_answer = 0;
DWORD g_playerProcess = 0;
HANDLE g_process = nullptr;
const DWORD g_started = GetTickCount();

void Log(const std::string& line) {
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

std::string Flatten(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kQueryMessage) {
        Log("query answered " + std::to_string(g_answer));
        return g_answer;
    }
    if (message == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (copy->dwData == kVersionId && copy->lpData != nullptr) {
            const char* text = static_cast<const char*>(copy->lpData);
            Log("version " + std::string(text, strnlen(text, copy->cbData)) + " length " +
                std::to_string(copy->cbData));
        }
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool OfPlayer(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == g_playerProcess;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window) {
    char title[4096] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

struct Found {
    HWND player = nullptr;
    std::vector<HWND> boxes;
};

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    if (!OfPlayer(window) || !IsWindowVisible(window)) return TRUE;
    const std::string name = ClassOf(window);
    if (name == "#32770") found->boxes.push_back(window);
    if (name.rfind("QIMDW", 0) == 0) found->player = window;
    return TRUE;
}

Found Look() {
    Found found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    auto* text = reinterpret_cast<std::string*>(data);
    if (ClassOf(child) == "Static") {
        const std::string t = TitleOf(child);
        if (!t.empty()) {
            if (!text->empty()) text->push_back(' ');
            text->append(t);
        }
    }
    return TRUE;
}

// Each box is logged once; the dismissal may take a moment to close it.
std::vector<HWND> g_dismissed;

void DismissBoxes(const Found& found) {
    for (HWND box : found.boxes) {
        if (std::find(g_dismissed.begin(), g_dismissed.end(), box) != g_dismissed.end()) continue;
        g_dismissed.push_back(box);
        std::string text;
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
        Log("box " + TitleOf(box) + " | " + Flatten(text));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

// Answers messages and dismisses boxes for `ms` milliseconds (or until the player ends).
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DismissBoxes(Look());
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        const DWORD slice = ms - spent < 50 ? ms - spent : 50;
        if (MsgWaitForMultipleObjects(1, &g_process, FALSE, slice, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
    }
}

bool Running() {
    return WaitForSingleObject(g_process, 0) == WAIT_TIMEOUT;
}

HWND WaitPlayerWindow(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms && Running()) {
        if (HWND w = Look().player) return w;
        Pump(50);
    }
    return Look().player;
}

int FrameOf(HWND window) {
    const std::string title = TitleOf(window);
    const size_t at = title.find("Frame: ");
    return at == std::string::npos ? -1 : std::atoi(title.c_str() + at + 7);
}

// Reads the player's client area back from the screen into NAME.ppm, and its frame number
// into NAME.req ("frame N x y w h").
void Shot(HWND window, const std::string& name) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    if (FILE* out = std::fopen((name + ".req").c_str(), "w")) {
        std::fprintf(out, "frame %d %ld %ld %d %d\n", FrameOf(window), origin.x, origin.y, width,
                     height);
        std::fclose(out);
    }
    Log("shot " + name + " frame " + std::to_string(FrameOf(window)));
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        if (FILE* out = std::fopen((name + ".ppm").c_str(), "wb")) {
            std::fprintf(out, "P6\n%d %d\n255\n", width, height);
            const auto* pixels = static_cast<const uint8_t*>(bits);
            for (int i = 0; i < width * height; ++i) {
                const uint8_t rgb[3] = {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]};
                std::fwrite(rgb, 1, 3, out);
            }
            std::fclose(out);
        }
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void RunStep(const std::string& step) {
    const size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
    if (verb == "wait") {
        Pump(static_cast<DWORD>(std::atoi(value.c_str())));
        return;
    }
    if (verb == "exit") {
        Pump(static_cast<DWORD>(std::atoi(value.c_str())));
        Log(Running() ? "running" : "exited");
        return;
    }
    if (verb == "clock") {
        Log("clock " + std::to_string(GetTickCount() - g_started));
        return;
    }
    const HWND player = WaitPlayerWindow(20000);
    if (player == nullptr) {
        Log("no window for " + step);
        return;
    }
    if (verb == "window") {
        RECT client{};
        GetClientRect(player, &client);
        Log("window " + std::to_string(client.right) + " " + std::to_string(client.bottom) + " " +
            TitleOf(player));
    } else if (verb == "char") {
        PostMessageA(player, WM_CHAR, static_cast<WPARAM>(std::atoi(value.c_str())), 0);
    } else if (verb == "title") {
        Log("title " + TitleOf(player));
    } else if (verb == "shot") {
        Shot(player, value);
    } else {
        Log("unknown step " + step);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string logPath, script, player;
    DWORD timeout = 60000;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string a = argv[first];
        if (a == "--log" && first + 1 < argc) {
            logPath = argv[++first];
        } else if (a == "--answer" && first + 1 < argc) {
            g_answer = std::atoi(argv[++first]);
        } else if (a == "--script" && first + 1 < argc) {
            script = argv[++first];
        } else if (a == "--timeout" && first + 1 < argc) {
            timeout = static_cast<DWORD>(std::atoi(argv[++first]));
        } else {
            break;
        }
    }
    if (logPath.empty() || first >= argc) {
        std::fprintf(stderr,
                     "usage: tavik-wine-driver --log FILE [--answer N] [--script STEPS] "
                     "[--timeout MS] PLAYER [ARGS...]\n");
        return 2;
    }
    g_log = std::fopen(logPath.c_str(), "w");
    if (g_log == nullptr) return 2;

    WNDCLASSA driverClass{};
    driverClass.lpfnWndProc = DriverWindowProc;
    driverClass.hInstance = GetModuleHandleA(nullptr);
    driverClass.lpszClassName = "TavikWineDriver";
    RegisterClassA(&driverClass);
    const HWND window = CreateWindowExA(0, "TavikWineDriver", "Tavik for Windows - test driver",
                                        WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                        driverClass.hInstance, nullptr);

    std::string commandLine = "\"" + std::string(argv[first]) + "\" /#" +
                              std::to_string(reinterpret_cast<uintptr_t>(window));
    for (int i = first + 1; i < argc; ++i) {
        commandLine.push_back(' ');
        commandLine.append(argv[i]);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        Log("cannot start " + std::string(argv[first]));
        return 1;
    }
    g_process = started.hProcess;
    g_playerProcess = started.dwProcessId;
    Log("started");

    size_t at = 0;
    while (at < script.size()) {
        size_t end = script.find(',', at);
        if (end == std::string::npos) end = script.size();
        RunStep(script.substr(at, end - at));
        at = end + 1;
    }
    Pump(timeout);
    if (Running()) {
        Log("killed");
        TerminateProcess(g_process, 1);
    }
    DWORD code = 0;
    GetExitCodeProcess(g_process, &code);
    Log("end " + std::to_string(code));
    std::fclose(g_log);
    return 0;
}
