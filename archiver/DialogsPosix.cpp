// The native build has no windows: a dialog that no script answers is an
// error, so an unattended run never waits for a user who is not there.
#include "DialogsNative.h"
#include "Exception.h"

namespace kav::dialogs::native {
namespace {
[[noreturn]] void Refuse(const std::string& what) {
    throw Exception("No hay diálogo disponible para responder: " + what);
}
}  // namespace

int ShowMessageBox(const std::string& text, int, unsigned) { Refuse(text); }
bool InputBox(const std::string&, const std::string& prompt, std::string&, bool) { Refuse(prompt); }
int ButtonDialog(const std::string& caption, const std::vector<Labelled>&, const std::string&,
                 const std::vector<std::pair<std::string, int>>&) {
    Refuse(caption);
}

}  // namespace kav::dialogs::native
