#include "PermisosWin32.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "Exception.h"
#include "TextCodec.h"
#include "Win32Error.h"

namespace permisos {

namespace {

struct LiberarLocal {
    void operator()(void* p) const { LocalFree(p); }
};
using SidPropio = std::unique_ptr<void, LiberarLocal>;

SidPropio Sid(const std::string& texto) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text::Wide(texto).c_str(), &sid)) win::RaiseLastOSError(texto);
    return SidPropio(sid);
}

std::string TextoSid(PSID sid) {
    wchar_t* texto = nullptr;
    if (!ConvertSidToStringSidW(sid, &texto)) return {};
    const std::string r = text::Narrow(texto);
    LocalFree(texto);
    return r;
}

// The list as the system stores it; raises the system's text.
std::vector<uint8_t> ConstruirAcl(const std::vector<TAce>& lista) {
    std::vector<SidPropio> sids;
    DWORD tamano = sizeof(ACL);
    for (const TAce& a : lista) {
        sids.push_back(Sid(a.sid));
        tamano += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids.back().get());
    }
    tamano = (tamano + 3) & ~3u;
    std::vector<uint8_t> acl(tamano);
    auto* p = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(p, tamano, ACL_REVISION)) win::RaiseLastOSError();
    // Denials first, as the system expects them.
    for (TipoAce tipo : {TipoAce::Denegar, TipoAce::Permitir})
        for (size_t i = 0; i < lista.size(); ++i) {
            const TAce& a = lista[i];
            if (a.tipo != tipo) continue;
            const BOOL ok = tipo == TipoAce::Permitir
                                ? AddAccessAllowedAceEx(p, ACL_REVISION, a.herencia, a.derechos, sids[i].get())
                                : AddAccessDeniedAceEx(p, ACL_REVISION, a.herencia, a.derechos, sids[i].get());
            if (!ok) win::RaiseLastOSError(a.sid);
        }
    return acl;
}

}  // namespace

bool LeerPermisos(const std::string& ruta, std::vector<TAce>& lista, std::string& error) {
    lista.clear();
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring nombre = text::Wide(ruta);
    const DWORD r = GetNamedSecurityInfoW(nombre.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, &dacl, nullptr, &descriptor);
    if (r != ERROR_SUCCESS) {
        error = win::SysErrorMessage(r);
        return false;
    }
    std::unique_ptr<void, LiberarLocal> libre(descriptor);
    if (!dacl) {
        // No list at all lets anyone do anything.
        lista.push_back({kTodos, TipoAce::Permitir, kGenericoTodo, kHeredanFicheros | kHeredanCarpetas});
        return true;
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* p = nullptr;
        if (!GetAce(dacl, i, &p)) continue;
        const auto* cabecera = static_cast<ACE_HEADER*>(p);
        if (cabecera->AceType != ACCESS_ALLOWED_ACE_TYPE && cabecera->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        // Both kinds lay out mask and SID alike.
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(p);
        lista.push_back({TextoSid(&ace->SidStart),
                         cabecera->AceType == ACCESS_ALLOWED_ACE_TYPE ? TipoAce::Permitir : TipoAce::Denegar,
                         ace->Mask, cabecera->AceFlags});
    }
    return true;
}

std::string FijarPermisos(const std::string& carpeta, const std::vector<TAce>& lista) {
    std::vector<uint8_t> acl;
    try {
        acl = ConstruirAcl(lista);
    } catch (const std::exception& e) {
        return e.what();
    }
    std::wstring nombre = text::Wide(carpeta);
    const DWORD r = SetNamedSecurityInfoW(nombre.data(), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, reinterpret_cast<PACL>(acl.data()), nullptr);
    return r == ERROR_SUCCESS ? std::string() : win::SysErrorMessage(r);
}

TUsuario UsuarioActual() {
    TUsuario r;
    HANDLE t = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &t)) return r;
    std::unique_ptr<void, decltype(&CloseHandle)> token(t, &CloseHandle);
    DWORD n = 0;
    GetTokenInformation(t, TokenUser, nullptr, 0, &n);
    std::vector<uint8_t> datos(n);
    if (n && GetTokenInformation(t, TokenUser, datos.data(), n, &n))
        r.sid = TextoSid(reinterpret_cast<TOKEN_USER*>(datos.data())->User.Sid);
    try {
        SidPropio administradores = Sid(kAdministradores);
        BOOL miembro = FALSE;
        r.administrador = CheckTokenMembership(nullptr, administradores.get(), &miembro) && miembro;
    } catch (const std::exception&) {
    }
    return r;
}

TDescriptor::TDescriptor(const std::vector<TAce>& lista) : acl_(ConstruirAcl(lista)) {
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_.data()), FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        win::RaiseLastOSError();
    atributos_.nLength = sizeof(atributos_);
    atributos_.lpSecurityDescriptor = &descriptor_;
    atributos_.bInheritHandle = FALSE;
}

}  // namespace permisos
