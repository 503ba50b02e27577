#include "TablaModulos.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TEST(TablaModulos, WalkVisits1To33Then200To209) {
    std::vector<unsigned> visitados;
    for (int32_t i = 1; i != -1; i = DatosModulo(unsigned(i)).Siguiente) {
        visitados.push_back(unsigned(i));
        ASSERT_LT(visitados.size(), 100u) << "the walk does not end";
    }
    std::vector<unsigned> esperado;
    for (unsigned i = 1; i <= 33; ++i) esperado.push_back(i);
    for (unsigned i = 200; i <= 209; ++i) esperado.push_back(i);
    EXPECT_EQ(visitados, esperado);
}

TEST(TablaModulos, RowsHaveTheirCodesAndGroups) {
    struct Caso {
        unsigned indice;
        int codigo, grupo;
        int32_t siguiente;
        bool conNombre;
    };
    const Caso casos[] = {
        {1, 103, 0, 2, true},    {6, 108, 0, 7, true},     {7, 0, 2, 8, false},
        {10, 0, 2, 11, false},   {11, 10, 1, 12, true},    {12, 11, 2, 13, true},
        {17, 16, 2, 18, true},   {18, 18, 1, 19, true},    {19, 19, 1, 20, true},
        {20, 20, 2, 21, true},   {28, 28, 2, 29, true},    {29, 17, 1, 30, true},
        {30, 29, 2, 31, true},   {33, 32, 2, 200, true},   {34, 0, 2, 35, false},
        {99, 0, 2, 100, false},  {100, 0, 0, 0, false},    {199, 0, 0, 0, false},
        {200, 200, 3, 201, true}, {209, 209, 3, -1, true}, {210, 210, 3, 211, false},
        {300, 300 % 256, 3, 301, false},
    };
    for (const Caso& c : casos) {
        const TypetBPLName f = DatosModulo(c.indice);
        EXPECT_EQ(f.Codigo, c.codigo) << c.indice;
        EXPECT_EQ(f.Grupo, c.grupo) << c.indice;
        EXPECT_EQ(f.Siguiente, c.siguiente) << c.indice;
        EXPECT_EQ(!f.Nombre.empty(), c.conNombre) << c.indice;
    }
    EXPECT_EQ(DatosModulo(200).Nombre, "ACTUALIZADOR.EXE");
    EXPECT_EQ(DatosModulo(201).Nombre, "CONTA.EXE");
    EXPECT_EQ(DatosModulo(202).Nombre, "EDITOR.EXE");
}

TEST(TablaModulos, ModuleCodesAreTenToThirtyTwoOnceEach) {
    std::set<int> codigos;
    for (unsigned i = 11; i <= 33; ++i) codigos.insert(DatosModulo(i).Codigo);
    EXPECT_EQ(codigos.size(), 23u);
    EXPECT_EQ(*codigos.begin(), 10);
    EXPECT_EQ(*codigos.rbegin(), 32);
}

TEST(CodigoModulo, MatchesNamesExactly) {
    EXPECT_EQ(CodigoModulo("CONTA.EXE"), 201);
    EXPECT_EQ(CodigoModulo("conta.exe"), -1);
    EXPECT_EQ(CodigoModulo("NOEXISTE.BPL"), -1);
    EXPECT_EQ(CodigoModulo(""), -1);  // not the unused slots
    // Every named row is found by its name, with its own code.
    for (int32_t i = 1; i != -1; i = DatosModulo(unsigned(i)).Siguiente) {
        const TypetBPLName f = DatosModulo(unsigned(i));
        if (!f.Nombre.empty()) {
            EXPECT_EQ(CodigoModulo(f.Nombre), f.Codigo) << f.Nombre;
        }
    }
}

}  // namespace
