// The synthetic purchase-register-like book: every column checked by the engine, no record validator.

#include "benchlayout.h"

#include <cstdio>
#include <iterator>

namespace {

#define AMOUNT(n) {"&12.2", "", "", "", false, false, true, "mto_" n}

// Length patterns on every column, expressions on ten, three parameter tables, one key column and eleven
// accumulators.
const BenchColumn kColumns[] = {
    {"8", "\\d{6}00", "", "", true, false, false, "periodo"},
    {"&40", "[A-Za-z0-9]+", "", "", true, true, false, "cuo"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "", true, false, false, "fec_emision"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "01/01/0001", false, false, false, "fec_vencimiento"},
    {"2", "", "010", "", true, false, false, "tip_cdp"},
    {"4", "[A-Z0-9]{4}", "", "", true, false, false, "serie"},
    {"&8", "\\d{1,8}", "", "", true, false, false, "numero"},
    {"1", "", "002", "", true, false, false, "tip_doc"},
    {"&15", "[A-Za-z0-9]{1,15}", "", "", true, false, false, "num_doc"},
    {"&100", "", "", "", true, false, false, "razon_social"},
    AMOUNT("bi_gravada"), AMOUNT("igv_gravada"), AMOUNT("bi_mixta"), AMOUNT("igv_mixta"), AMOUNT("bi_nogravada"),
    AMOUNT("igv_nogravada"), AMOUNT("no_gravada"), AMOUNT("isc"), AMOUNT("icbper"), AMOUNT("otros"),
    AMOUNT("total"),
    {"3", "[A-Z]{3}", "", "", true, false, false, "moneda"},
    {"&1.3", "\\d\\.\\d{3}", "", "", true, false, false, "tipo_cambio"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "01/01/0001", false, false, false, "fec_ref"},
    {"2", "", "", "00", false, false, false, "tip_ref"},
    {"&20", "", "", "-", false, false, false, "serie_ref"},
    {"&20", "", "", "-", false, false, false, "numero_ref"},
    {"10", "", "", "01/01/0001", false, false, false, "fec_detraccion"},
    {"&24", "", "", "0", false, false, false, "num_detraccion"},
    {"1", "[0-9]", "EST", "", true, false, false, "estado"},
};

#undef AMOUNT

const char *const kVoucherTypes[] = {"01", "02", "03", "07", "08", "12", "14", "46", "50", "91"};

const BenchTable kTables[] = {
    {"010", "01,02,03,07,08,12,14,46,50,91,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,"
            "43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59"},
    {"002", "0,1,4,6,7,A,B,C,D,E"},
    {"EST", "0,1,6,7,9"},
};

int formatLine(char *buf, size_t size, qint64 record, qint64 key, bool broken, int *state)
{
    *state = 1;
    const int day = 1 + int(record % 28);
    const qint64 cents = 10000 + (record * 7919) % 9000000;
    const qint64 tax = cents * 18 / 100;
    char amounts[11][24];
    const qint64 values[11] = {cents, tax, 0, 0, 0, 0, record % 500, 0, 0, 0, cents + tax + record % 500};
    for (int i = 0; i < 11; ++i)
        std::snprintf(amounts[i], sizeof amounts[i], "%lld.%02lld", values[i] / 100, values[i] % 100);
    return std::snprintf(buf, size,
        "20240100|%010lld|%02d/01/2024|01/01/0001|%s|%s%03lld|%lld|6|20%09lld|PROVEEDOR NUMERO %lld SAC|"
        "%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|PEN|1.000|01/01/0001|00|-|-|01/01/0001|0|1|\n",
        key + 1, day, kVoucherTypes[record % 10], broken ? "FX" : "F", record % 1000, record % 100000000,
        record % 1000000000, record % 997, amounts[0], amounts[1], amounts[2], amounts[3], amounts[4],
        amounts[5], amounts[6], amounts[7], amounts[8], amounts[9], amounts[10]);
}

} // namespace

const BenchLayoutSpec &benchSyntheticLayout()
{
    static const BenchLayoutSpec spec = {
        "080100", "20240100", "", "Registro de compras", kColumns, int(std::size(kColumns)), kTables,
        int(std::size(kTables)), formatLine,
    };
    return spec;
}
