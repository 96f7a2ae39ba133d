// The file-open and colour dialogs as the system's own (comdlg32), owned by the active window.
#include "../dialogs_std.h"
#include "../internal.h"

#include <commdlg.h>

#include <vector>

namespace toolkit_detail {
namespace {

HWND DialogOwner() {
    HWND active = GetActiveWindow();
    if (active)
        return active;
    return Application ? Application->Handle() : nullptr;
}

struct OpenFlag {
    TOpenOption option;
    DWORD flag;
};
constexpr OpenFlag kOpenFlags[] = {
    {ofReadOnly, OFN_READONLY},
    {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},
    {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofShowHelp, OFN_SHOWHELP},
    {ofNoValidate, OFN_NOVALIDATE},
    {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
    {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
    {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofFileMustExist, OFN_FILEMUSTEXIST},
    {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofShareAware, OFN_SHAREAWARE},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
    {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
    {ofNoNetworkButton, OFN_NONETWORKBUTTON},
    {ofNoLongNames, OFN_NOLONGNAMES},
    {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
    {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
    {ofEnableSizing, OFN_ENABLESIZING},
};

} // namespace

bool PresentOpenDialog(TOpenDialog& dialog) {
    // The filter's parts end with NUL instead of '|', the whole with a second NUL.
    std::string filter = dialog.Filter;
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.append(2, '\0');
    std::vector<char> file(32 * 1024, '\0');
    dialog.FileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogOwner();
    ofn.lpstrFilter = dialog.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(dialog.FilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dialog.InitialDir.empty() ? nullptr : dialog.InitialDir.c_str();
    ofn.lpstrTitle = dialog.Title.empty() ? nullptr : dialog.Title.c_str();
    ofn.lpstrDefExt = dialog.DefaultExt.empty() ? nullptr : dialog.DefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER;
    for (const OpenFlag& f : kOpenFlags)
        if (dialog.Options.Contains(f.option))
            ofn.Flags |= f.flag;
    if (!GetOpenFileNameA(&ofn))
        return false;
    dialog.FileName = file.data();
    dialog.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

bool PresentColorDialog(TColorDialog& dialog) {
    static COLORREF custom[16] = {};
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = DialogOwner();
    cc.rgbResult = static_cast<COLORREF>(ColorToRGB(dialog.Color));
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    if (dialog.Options.Contains(cdFullOpen))
        cc.Flags |= CC_FULLOPEN;
    if (dialog.Options.Contains(cdPreventFullOpen))
        cc.Flags |= CC_PREVENTFULLOPEN;
    if (dialog.Options.Contains(cdShowHelp))
        cc.Flags |= CC_SHOWHELP;
    if (dialog.Options.Contains(cdSolidColor))
        cc.Flags |= CC_SOLIDCOLOR;
    if (dialog.Options.Contains(cdAnyColor))
        cc.Flags |= CC_ANYCOLOR;
    if (!ChooseColorA(&cc))
        return false;
    dialog.Color = static_cast<TColor>(cc.rgbResult);
    return true;
}

} // namespace toolkit_detail
