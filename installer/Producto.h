// The product an installation or update puts in place, as the installer
// asks it: its names, its folders, its per-entry decisions and the steps it
// adds to a run. The installer is a template: the run and the window call
// these operations and a product class fills them in (the accounting
// product: TProductoConta); what is defined here is the base behaviour.
// Portable: a product reaches the system only through the run's seams and
// a seam of its own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ArchiverMisc.h"
#include "DatosControlador.h"
#include "Efectos.h"

// The folders of an installed copy, as the updater finds them from its own
// folder: where its lock lives, and the only folders an update may change
// (the product folder and the data folders its settings name).
struct TCarpetasInstalacion {
    std::string bloqueo;
    std::vector<std::string> permitidas;
};

class TProducto {
public:
    TProducto(TDatosControlador& datos, const TEfectos& efectos) : d_(datos), e_(efectos) {}
    virtual ~TProducto() = default;

    // --- names ------------------------------------------------------------
    virtual std::string NombreProducto() = 0;  // the folder word archives store the program under
    virtual std::string CodigoProducto() = 0;
    virtual std::string NombreIniPrograma() = 0;
    virtual std::string FicheroPrograma() = 0;
    virtual std::string FicheroActualizacion() = 0;
    virtual std::string FicheroBeta() = 0;
    virtual std::string IniBeta() = 0;
    virtual std::string IniV2() { return {}; }
    virtual std::string FicheroV2() { return {}; }
    virtual std::string UrlProgramas() = 0;
    virtual std::string PreguntaFinal() = 0;

    // --- folders ------------------------------------------------------------
    // The installed program as the run starts it (from the updater's folder),
    // and where the extraction puts it.
    virtual std::string RutaProgramaEjecutar() = 0;
    virtual std::string RutaProgramaInstalado() = 0;
    virtual std::string RutaPaqueteDatos() = 0;
    // The data folders of the installation in `dirPrograma` (the base folder
    // the user chose), before anything is extracted there.
    virtual void LeerRutasDatos(const std::string& dirPrograma) = 0;
    // From the updater's own folder, before anything else is known.
    virtual TCarpetasInstalacion CarpetasInstalacion() = 0;
    // The installed files' versions, read when the program starts as the
    // updater.
    virtual void PrepararActualizacion() = 0;

    // --- steps of a run ---------------------------------------------------------
    virtual void AntesDeInstalar() {}
    virtual void TrasDescargar() {}
    virtual void AntesDeExtraer() {}
    virtual void TrasExtraer() {}
    // The files the product no longer uses, to go once this archive is
    // extracted (whole paths). The run removes them through the backup, so
    // that an update that fails puts them back.
    virtual std::vector<std::string> FicherosObsoletos() { return {}; }
    virtual void CrearAccesos() = 0;
    virtual void TrasInstalar() {}
    // The program's settings file was written by an extraction.
    virtual void IniExtraido() {}

    // --- per entry ------------------------------------------------------------
    // They ask the file system only: the check before an update asks them
    // too, and must change nothing. A package the product does not know is
    // refused, and the user is told only when `avisar` (the extraction).
    virtual bool AceptarPaquete(const std::string& fichero, bool avisar) = 0;
    virtual bool AceptarPaqueteAdicional(const std::string&) { return false; }
    // The base rule for an ordinary entry (kinds 1, 2, 8, 9 and the rest);
    // the destination folder may change (kind 9 goes to the data folder).
    virtual bool AceptarFichero(uint8_t tipo, const std::string& nombre, double fecha, std::string& carpeta);
    // A file an extraction has written into `carpeta`; the base has nothing
    // to do for it, a product takes the entries it cares for.
    virtual void FicheroExtraido(const kav::TFileEntry&, const std::string&) {}

protected:
    TDatosControlador& d_;
    TEfectos e_;
};
