#include "ReglasInstalador.h"

#include <cmath>
#include <cstdio>

#include "FormatoTexto.h"

std::string TextoFecha(unsigned dia, const std::string& nombreMes, unsigned anio) {
    return std::to_string(dia) + " de " + nombreMes + " del " + std::to_string(anio);
}

std::string TextoVersion(unsigned major, unsigned minor, bool vaciaSinMayor) {
    if (vaciaSinMayor && major == 0) return {};
    return "Versión " + std::to_string(major) + "." + FormatoCeros(minor, 2);
}

std::string TextoVersionPropia(bool actualizacion, unsigned major, unsigned minor, bool sinFirmas) {
    return std::string(actualizacion ? "Versión Actualizador " : "Versión Instalador ") + std::to_string(major) + "." +
           FormatoCeros(minor, 2) + (sinFirmas ? " sin firmas" : "");
}

const char* const kLineaSinFirmas =
    "Versión sin firmas: lo que se descarga del servidor no se comprueba con las claves del fabricante";

bool EnListaClientes(const std::string& lista, uint32_t codigo) {
    if (lista.empty() || lista == ";") return false;
    std::string l = lista.back() == ';' ? lista : lista + ";";
    const std::string buscado = std::to_string(codigo);
    size_t inicio = 0;
    for (size_t p = l.find(';'); p != std::string::npos; inicio = p + 1, p = l.find(';', inicio))
        if (l.compare(inicio, p - inicio, buscado) == 0 && p - inicio == buscado.size()) return true;
    return false;
}

std::string VersionInformada(const std::string& etiqueta) {
    size_t p = etiqueta.find_last_of(' ');
    size_t inicio = p == std::string::npos ? 0 : p + 1;
    return etiqueta.substr(inicio, 5);
}

std::array<std::string, 2> SeccionesBeta(unsigned major, unsigned minor) {
    std::string m = FormatoCerosFijo(minor, 2);
    return {FormatoCerosFijo(major, 2) + "." + m, FormatoCerosFijo(major, 1) + "." + m};
}

namespace {
// Days from 30 Dec 1899 to the given civil date (proleptic Gregorian).
long long DiasDesdeOrigen(int y, int m, int d) {
    auto diasCivil = [](long long y, long long m, long long d) {
        y -= m <= 2;
        long long era = (y >= 0 ? y : y - 399) / 400;
        long long yoe = y - era * 400;
        long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;  // days since 1970-01-01
    };
    return diasCivil(y, m, d) - diasCivil(1899, 12, 30);
}

bool FechaValida(int y, int m, int d) {
    static const int dias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= dias[m - 1];
}
}  // namespace

double LeerFechaHora(const std::string& texto) {
    int a = 0, b = 0, c = 0, h = 0, mi = 0, s = 0;
    char s1 = 0, s2 = 0;
    int n = std::sscanf(texto.c_str(), "%d%c%d%c%d %d:%d:%d", &a, &s1, &b, &s2, &c, &h, &mi, &s);
    if (n < 5 || s1 != s2 || (s1 != '/' && s1 != '-' && s1 != '.')) return 0;
    int y = c, m = b, d = a;
    if (a > 31) y = a, m = b, d = c;  // ISO order
    if (!FechaValida(y, m, d) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return 0;
    return static_cast<double>(DiasDesdeOrigen(y, m, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
}

std::string FormatoFechaHora(double fecha) {
    if (fecha == 0) return "0";
    long long dias = static_cast<long long>(std::floor(fecha));
    long long segundos = std::llround((fecha - static_cast<double>(dias)) * 86400.0);
    if (segundos >= 86400) ++dias, segundos -= 86400;
    // Civil date from a day count (inverse of DiasDesdeOrigen).
    long long z = dias - DiasDesdeOrigen(1970, 1, 1) + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    long long y = yoe + era * 400 + (m <= 2);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02lld/%02lld/%04lld %02lld:%02lld:%02lld", d, m, y, segundos / 3600,
                  segundos / 60 % 60, segundos % 60);
    return buf;
}

bool FechaAnterior(double dias, double otros) {
    auto segundos = [](double d) { return std::llround(d * 86400.0); };
    return segundos(dias) < segundos(otros);
}

bool EsVersionSiguiente(const TypeVersion& w, const TypeVersion& i) {
    return w.Major * 1000L + w.Minor == i.Major * 1000L + i.Minor + 1;
}

std::optional<std::string> ArgumentosRelanzamiento(const TypeVersion& nueva, const TypeVersion& previa,
                                                   const std::string& ficheroCliente, int izquierda, int arriba,
                                                   const std::string& switches) {
    if (!VersionMayor(nueva, previa, true)) return std::nullopt;
    std::string r;
    if (!ficheroCliente.empty())
        r = (ficheroCliente.find(' ') == std::string::npos ? ficheroCliente : "\"" + ficheroCliente + "\"") + " ";
    return r + "/ACT /YPOS" + std::to_string(arriba) + " /XPOS" + std::to_string(izquierda) + switches;
}

int SiguienteOpacidadEntrada(int actual, bool& parar) {
    parar = actual >= 220;
    return parar ? 255 : actual + 40;
}

std::vector<int> SecuenciaSalida() {
    std::vector<int> r{255};
    int a = 255;
    while (a > 40) r.push_back(a -= 40);
    r.push_back(0);
    return r;
}

std::string RutaInformeInstalacion(uint32_t codigo, const std::string& version) {
    return "/roldawindows/instalacion.php?codcli=" + std::to_string(codigo) + "&kavoversion=" + version;
}

std::string RutaInformeActualizacion(const std::string& fichero, uint32_t codigo, const std::string& version) {
    return "/roldawindows/actualizarolda.php?filename=" + fichero + "&codcli=" + std::to_string(codigo) +
           "&kavoversion=" + version;
}
