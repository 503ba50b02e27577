// Which address of the vendor's web server a run uses. Portable.
#pragma once
#include <string>

// What a build accepts as the server's address. A build for customers talks
// to the vendor over HTTPS only, so that nobody on the way can read or
// replace what it downloads; other builds (tests, demo) also take http://.
enum class EsquemaServidor { Cualquiera, SoloHttps };

// `entorno` (the KAVO_SERVIDOR setting) when it is not empty, else the
// build's default; raises Exception naming the address when the build takes
// HTTPS only and the address is anything else.
std::string ElegirServidor(const std::string& entorno, const std::string& predeterminado, EsquemaServidor esquema);
