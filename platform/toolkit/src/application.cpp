// The application object: title, the application window, the message loop and the exception box.
#include "toolkit/forms.h"

#include "toolkit/appevnts.h"
#include "toolkit/dialogs.h"
#include "toolkit/sysutils.h"

#include "internal.h"

#include <limits>
#include <new>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

std::string ProgramPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : MAX_PATH);
}

} // namespace

// ---- TApplication ----

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() {
    // The forms go first, while the application still answers their questions.
    while (ComponentCount() > 0)
        Components(ComponentCount() - 1)->Free();
    mainForm_ = nullptr;
    if (handle_)
        toolkit_detail::DestroyPresentedWindow(handle_);
    if (Application == this)
        Application = nullptr;
}

std::string TApplication::ExeName() const {
    return ProgramPath();
}

std::string TApplication::GetTitle() const {
    if (titleSet_)
        return title_;
    const std::string name = ExtractFileName(ProgramPath());
    const std::string ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

void TApplication::SetTitle(std::string v) {
    title_ = std::move(v);
    titleSet_ = true;
    if (handle_)
        toolkit_detail::SetPresentedCaption(handle_, title_);
}

void TApplication::SetHint(std::string v) {
    if (v == hint_)
        return;
    hint_ = std::move(v);
    toolkit_detail::FireHint();
}

HWND TApplication::Handle() {
    if (!handle_) {
        // A window of no size that stands for the program on the task bar.
        toolkit_detail::WindowSpec spec;
        spec.className = "TApplication";
        spec.caption = GetTitle();
        spec.visible = true;
        spec.bounds = RECT{0, 0, 0, 0};
        handle_ = toolkit_detail::CreatePresentedWindow(
            spec, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    }
    return handle_;
}

void TApplication::Initialize() {
    Handle();
}

void TApplication::FormCreated(TCustomForm* form) {
    form->AfterConstruction();
    if (!mainForm_)
        mainForm_ = form;
}

void TApplication::Run() {
    Handle();
    toolkit_detail::RequestStop(false);
    toolkit_detail::RunWithin([this] { return terminated_ || toolkit_detail::StopRequested(); },
                              toolkit_detail::RunBudget());
    toolkit_detail::RequestStop(false);
}

void TApplication::Terminate() {
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    toolkit_detail::Pump();
}

void TApplication::HandleException(TObject* Sender) {
    if (!std::current_exception())
        return;
    try {
        throw;
    } catch (const toolkit_detail::Failure&) {
        throw;
    } catch (const EAbort&) {
    } catch (Exception& e) {
        if (OnException)
            OnException(Sender, &e);
        else
            ShowException(&e);
    } catch (const std::bad_alloc&) {
        EOutOfMemory e("Out of memory");
        ShowException(&e);
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        ShowException(&wrapped);
    } catch (...) {
        Exception wrapped("");
        ShowException(&wrapped);
    }
}

void TApplication::ShowException(const Exception* E) {
    toolkit_detail::BoxRequest box;
    box.kind = toolkit_detail::BoxKind::Exception;
    box.caption = GetTitle();
    box.text = E ? E->Message : std::string();
    box.buttons = 0x10; // stop icon, OK
    toolkit_detail::PresentBox(box);
}

int TApplication::MessageBox(const char* Text, const char* Caption, int Flags) {
    toolkit_detail::BoxRequest box;
    box.kind = toolkit_detail::BoxKind::MessageBox;
    box.caption = Caption ? Caption : GetTitle();
    box.text = Text ? Text : "";
    box.buttons = Flags;
    box.choice = (Flags & 0xF) != 0; // anything but MB_OK
    box.defaultAnswer = 1;           // IDOK
    return toolkit_detail::PresentBox(box);
}

const char* TApplication::ClassName() const {
    return "TApplication";
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), pixelsPerInch_(toolkit_detail::SystemPixelsPerInch()) {}

int TScreen::GetWidth() const {
    return toolkit_detail::ScreenWidth();
}

int TScreen::GetHeight() const {
    return toolkit_detail::ScreenHeight();
}

const char* TScreen::ClassName() const {
    return "TScreen";
}

// ---- TApplicationEvents ----

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) {
    toolkit_detail::RegisterAppEvents(this);
}

TApplicationEvents::~TApplicationEvents() {
    toolkit_detail::UnregisterAppEvents(this);
}

const char* TApplicationEvents::ClassName() const {
    return "TApplicationEvents";
}

// ---- boxes ----

namespace {

int ButtonBits(TMsgDlgButtons buttons) {
    int bits = 0;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(b)))
            bits |= 1 << b;
    return bits;
}

// The programs speak Russian: the boxes are captioned as the Russian system captions them.
const char* DialogCaption(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return "\xCF\xF0\xE5\xE4\xF3\xEF\xF0\xE5\xE6\xE4\xE5\xED\xE8\xE5"; // Предупреждение
    case mtError:
        return "\xCE\xF8\xE8\xE1\xEA\xE0"; // Ошибка
    case mtInformation:
        return "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF"; // Информация
    case mtConfirmation:
        return "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE6\xE4\xE5\xED\xE8\xE5"; // Подтверждение
    default:
        return nullptr;
    }
}

} // namespace

void ShowMessage(const std::string& Msg) {
    toolkit_detail::BoxRequest box;
    box.kind = toolkit_detail::BoxKind::Message;
    box.caption = Application ? Application->GetTitle() : std::string();
    box.text = Msg;
    box.buttons = 1 << mbOK;
    box.defaultAnswer = mrOk;
    toolkit_detail::PresentBox(box);
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    toolkit_detail::BoxRequest box;
    box.kind = toolkit_detail::BoxKind::Dialog;
    const char* caption = DialogCaption(DlgType);
    box.caption = caption ? caption : (Application ? Application->GetTitle() : std::string());
    box.text = Msg;
    box.dialogType = DlgType;
    box.buttons = ButtonBits(Buttons);
    box.choice = box.buttons != 0 && box.buttons != (1 << mbOK);
    box.defaultAnswer = mrOk;
    return toolkit_detail::PresentBox(box);
}
