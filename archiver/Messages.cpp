#include "Messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "ArchiverMisc.h"

namespace kav {

DialogTexts& SharedDialogTexts() {
    static DialogTexts texts;
    return texts;
}

void TMessages::LoadDefaults() {
    LoadTexts();
    PublishDialogTexts();
}

void TMessages::LoadTexts() {
    BadSignature = "Firma Erronea: el archivo \"%s\" no es valido";
    FileNameNeeded = "\"Extractor\" necesita la propiedad \"Nombre Archivo\"";
    SystemMessage = "Mensaje de Sistema";
    AcceptArchiveFailed = "El archivo no puede usarse";
    EnterCryptKey = "Clave de encriptamiento:";
    EnterDecryptKey = "Clave de desencripción:";
    KeyTooShort = "La clave es muy corta. Debe contener almenos %d caracteres.";
    ConfirmCryptKey = "Confirma clave de encripción:";
    KeyNotConfirmed = "La clave no se confirmo. Introducela de nuevo.";
    ArchiveIsReadOnly = "Archivo con atributo de solo lectura";
    CanNotCreateArchive = "Este componente no puede crear un archivo";
    CannotCreateDir = "No puedo crear el directorio";
    SelectADirectory = "Seleccione un directorio:";
    Ok = "Aceptar";
    Cancel = "Cancelar";
    Information = "Información";
    Warning = "Advertencia";
    Confirmation = "Confirmación";
    Error = "Error";
    CanNotBuildTempFileName = "No puedo construir archivo temporal";
    Yes = "&Si";
    YesToAll = "Si a &Todo";
    No = "&No";
    AFile = "Archivo";
    CanContinue = "¿ Desea continuar ?";
    UnknownVersion = "Versión desconocida";
    CannotCreateFile = "No puedo crear el Archivo %s";
    CannotOpenFile = kMsgCannotOpenFile;
    ArchiverBusy = "Componente %s esta Ocupado. Cancelar operación actual  y reintentar";
}

void TMessages::Assign(const TMessages& other) {
    // Copies the base texts only; the extended set copies its own on top.
    static_cast<TMessages&>(*this) = other;
    PublishDialogTexts();
}

void TMessages::PublishDialogTexts() const {
    DialogTexts& t = SharedDialogTexts();
    t.Ok = Ok;
    t.Cancel = Cancel;
    t.Information = Information;
    t.Warning = Warning;
    t.Confirmation = Confirmation;
    t.Error = Error;
    t.Yes = Yes;
    t.YesToAll = YesToAll;
    t.No = No;
    t.File = AFile;
    t.CanContinue = CanContinue;
}

void TExtrMessages::LoadTexts() {
    TMessages::LoadTexts();
    CouldNotUncompressBlock = "No es posible descomprimir el bloque";
    AskOverwrite.clear();
    NeedExtractPath = "Es necesario la trayectoria de extracción";
    InsertDisk = "Inserta el disco Nº: %d en la unidad %s";
    LocateSegment = "Introduzca Directorio del archivo.";
    WrongSegment = "No es el segmento Nº: %d del archivo %s!";
    InsertLastSegment = "Inserte el ultimo Disco en la unidad %s";
    LocateLastSegment = "Localiza el ultimo segmento del archivo %s";
    WrongLastSegment = "¡ Este no es el último segmento !";
    WrongNextSegment = "El segmento no es el siguente en la sequencia";
    BadCRC = "CRC incorrecto: los datos dentro del archivo estan corrompidos";
    BadKey = "El archivo no podra desencriptarse. Introdujo una clave invalida";
    ReplaceFile = "Reemplazar :";
    WithFile = "Con :";
    ConfirmFileOverwrite = "Confirma sobreescribir archivo";
    ExtractingFile = "Extrayendo %s (%d)";
    LoadingArchiveContnent = "Cargando contenido del archivo...";
    UncompressingSolidArchive = "Descomprimiendo archivo solido...";
    CheckingFile = "Verificando %s (%d)";
}

void TExtrMessages::Assign(const TMessages& other) {
    TMessages::Assign(other);
    if (auto* extr = dynamic_cast<const TExtrMessages*>(&other)) *this = *extr;
    PublishDialogTexts();
}

void TExtrMessages::PublishDialogTexts() const {
    TMessages::PublishDialogTexts();
    DialogTexts& t = SharedDialogTexts();
    t.ReplaceFile = ReplaceFile;
    t.WithFile = WithFile;
    t.ConfirmFileOverwrite = ConfirmFileOverwrite;
}

std::string Format(const std::string& pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, pattern.c_str(), args);
    va_end(args);
    std::string out;
    if (n > 0) {
        std::vector<char> buffer(static_cast<size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern.c_str(), again);
        out.assign(buffer.data(), static_cast<size_t>(n));
    }
    va_end(again);
    return out;
}

}  // namespace kav
