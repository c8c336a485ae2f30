// The application object and its message pump.
#pragma once
#include <windows.h>

namespace fw {

class Window;

class App {
public:
    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    static App* Current();

    // wWinMain hands over here: InitInstance, then the message loop when it asks
    // for one, then ExitInstance, whose result is the process's exit code.
    int Main(HINSTANCE instance);

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();

    // The pre-translation walk: from the message's window up through its parents,
    // each bound Window gets PreTranslateMessage; true when one of them ate it.
    static bool PreTranslate(MSG& msg);

    HINSTANCE Instance() const { return m_instance; }
    Window* MainWindow() const { return m_mainWindow; }
    // The main window: its destruction ends the message loop.
    void SetMainWindow(Window* window) { m_mainWindow = window; }

protected:
    // True: run the message loop. False: end at once (ExitInstance still runs).
    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return m_exitCode; }

    int m_exitCode = 0;

private:
    HINSTANCE m_instance = nullptr;
    Window* m_mainWindow = nullptr;
};

// Registers the common controls' window classes (tool tips, progress bars) for
// this process; later calls do nothing. Their library is loaded at its first
// use, so a process whose first screen needs none of them (the login) calls
// this only once that screen is up and keeps the load off its start.
void UseCommonControls();

}  // namespace fw
