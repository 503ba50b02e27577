// The installer's decisions that need no window: label texts, the customer
// lists of the vendor's release descriptions, report values and the fade
// steps. Portable.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Versiones.h"

// "20 de noviembre del 2026" (the month's name is the caller's).
std::string TextoFecha(unsigned dia, const std::string& nombreMes, unsigned anio);
// "Versión 10.05"; empty when major is 0 and vaciaSinMayor.
std::string TextoVersion(unsigned major, unsigned minor, bool vaciaSinMayor);

// The label of the program's own version: "Versión Actualizador 1.00" (or
// "Instalador"), followed by " sin firmas" when the build checks no
// signatures, so that such a build never passes for one that does.
std::string TextoVersionPropia(bool actualizacion, unsigned major, unsigned minor, bool sinFirmas);
// The log line of every start of a build that checks no signatures.
extern const char* const kLineaSinFirmas;

// True when the ";"-separated list holds the customer code in plain decimal.
bool EnListaClientes(const std::string& lista, uint32_t codigo);
// The report value: up to five characters after the last blank of the
// version label ("10.05", "BETA", "V2", or empty).
std::string VersionInformada(const std::string& etiquetaVersion);
// The two section names a beta description may use for a release version,
// the two-digit form first ("10.05", then "1.05").
std::array<std::string, 2> SeccionesBeta(unsigned major, unsigned minor);

// Date-times of the INI files, as day counts since 30 Dec 1899 (0 = none).
// The text form is the Spanish locale's "dd/mm/yyyy hh:nn:ss"; ISO dates
// ("yyyy-mm-dd hh:nn:ss") are read too. Unreadable text counts as 0.
double LeerFechaHora(const std::string& texto);
std::string FormatoFechaHora(double fecha);

// Whether a modification time is earlier than another, to the whole second:
// the archive keeps coarser times than the file system, and a time written
// into a file and read back has lost its last fraction, so an entry and the
// file it wrote must compare equal. Every kind of entry compares so.
bool FechaAnterior(double dias, double otros);

// Exactly one minor step above: 10.05 -> 10.06, not 10.99 -> 11.00.
bool EsVersionSiguiente(const TypeVersion& web, const TypeVersion& instalada);

// The arguments of a newer updater that the archive brought, or nothing when
// it does not replace the running one: only a strictly higher major.minor
// than its file had before the run. It gets the per-installation file this
// run read, first, so that it reaches the same release without asking (also
// on an installation that records no customer); then "/ACT /YPOS<top>
// /XPOS<left>" and `switches` (an unattended run's, with a leading blank).
std::optional<std::string> ArgumentosRelanzamiento(const TypeVersion& nueva, const TypeVersion& previa,
                                                   const std::string& ficheroCliente, int izquierda, int arriba,
                                                   const std::string& switches);

// Fade-in: the next opacity after `actual` and whether the timer stops.
int SiguienteOpacidadEntrada(int actual, bool& parar);
// Fade-out from full opacity: 255, 215, ..., 15, 0.
std::vector<int> SecuenciaSalida();

// The report requests' paths and queries (appended to the server's address).
std::string RutaInformeInstalacion(uint32_t codigoCliente, const std::string& version);
std::string RutaInformeActualizacion(const std::string& ficheroCliente, uint32_t codigoCliente,
                                     const std::string& version);
