// The application object: title, message loop, terminate request, and the
// standard display of an error that leaves an event handler.
#pragma once
#include <exception>
#include <functional>
#include <string>

namespace forms {

class TForm;

class TApplication {
public:
    void Initialize();
    const std::string& Title() const { return titulo_; }
    void SetTitle(const std::string& t) { titulo_ = t; }
    // The form whose closing ends the program.
    void SetMainForm(TForm* f) { principal_ = f; }
    TForm* MainForm() const { return principal_; }
    // Runs the message loop until Terminate (or the main form closes).
    int Run();
    // Asks the loop to end; modal dialogs opened afterwards return Cancel.
    void Terminate();
    bool Terminated() const { return terminado_; }
    // Keeps the window alive inside a long operation.
    void ProcessMessages();
    // Shows the current exception: its text, the title as caption, the error
    // icon; the silent stop shows nothing.
    void HandleException(std::exception_ptr e);
    // Runs a handler; whatever it throws goes to HandleException. Window
    // procedures and timer callbacks call handlers through this.
    void Proteger(const std::function<void()>& manejador) noexcept;

private:
    std::string titulo_;
    TForm* principal_ = nullptr;
    bool terminado_ = false;
};

TApplication& Application();

}  // namespace forms
