// The maker's products, as their desktop shortcuts and folders name them.
#include "Instalacion.h"

const std::vector<FilaProducto> kProductosKavo = {
    {"QTR", "Conta", "ContaKavo", nullptr},               // accounting
    {"NOM", "Nominas", "NominasKavo", nullptr},           // payroll
    {"ALB", "Albaranes", "AlbaranesKavo", nullptr},       // delivery notes
    {"FAC", "Factura", "FacturaKavo", "FacturacionKavo"}, // invoicing (older name second)
    {"SOC", "Conta", "SociedadesKavo", nullptr},          // corporate tax
    {"SOCC", "Conta", "SociedadesConsolidadoKavo", nullptr},  // consolidated corporate tax
};
