// The application object: title, forms, the message loop and the exception hook.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/hints.h"

namespace roadsum {

class TCustomForm;

class TApplication {
public:
    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();  // destroys the forms, the last created first

    // The application of this process (the one constructed last), or null.
    static TApplication* Current();

    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Creates a form owned by the application; the first one becomes the main form.
    template <typename Form, typename... Args>
    Form* CreateForm(Args&&... args) {
        auto form = std::make_unique<Form>(std::forward<Args>(args)...);
        Form* raw = form.get();
        forms_.push_back(std::move(form));
        if (!main_form_) main_form_ = raw;
        return raw;
    }
    TCustomForm* MainForm() const { return main_form_; }

    // Shows the main form and dispatches messages until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles one waiting message; false when the queue was empty.
    bool ProcessMessage();
    void ProcessMessages();

    // Every exception caught in a window procedure, timer or thread of the toolkit ends here.
    void HandleException(std::exception_ptr error);
    using TExceptionHook = std::function<void(std::exception_ptr)>;
    // Replaces the default handling (a message box); an empty hook restores it.
    void SetExceptionHook(TExceptionHook hook) { hook_ = std::move(hook); }
    // Shows an exception to the user: a message box, or what the show hook does instead.
    void ShowException(std::exception_ptr error) const;
    void SetShowExceptionHook(TExceptionHook hook) { show_hook_ = std::move(hook); }
    static std::string ExceptionMessage(std::exception_ptr error);

    THintManager& Hints() { return hints_; }

    // Runs fn on the thread that made the application and waits for it; an exception
    // raised by fn is raised again in the caller.
    void Synchronize(const std::function<void()>& fn);

private:
    void Dispatch(const MSG& msg);
    bool IsDialogKey(const MSG& msg);
    bool IsDialogChar(const MSG& msg);

    std::string title_;
    std::vector<std::unique_ptr<TCustomForm>> forms_;
    TCustomForm* main_form_ = nullptr;
    bool terminated_ = false;
    TExceptionHook hook_;
    TExceptionHook show_hook_;
    THintManager hints_;
    HWND sync_window_ = nullptr;
    DWORD thread_id_;
    TApplication* previous_;
};

}  // namespace roadsum
