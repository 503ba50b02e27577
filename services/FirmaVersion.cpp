#include "FirmaFicheros.h"

#ifndef KV_CLAVES_PUBLICAS
#error "KV_CLAVES_PUBLICAS must come from the build"
#endif

std::vector<std::string> firma::ClavesDeLaVersion() { return LeerClavesPublicas(KV_CLAVES_PUBLICAS); }
