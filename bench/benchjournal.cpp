// The journal (book 050200) as an accounting program writes it: entries of two lines, a debit and a credit,
// most of the period, some of earlier periods; purchase and sales entries name their voucher and register line.

#include "benchlayout.h"

#include <iterator>

namespace {
const BenchColumn kColumns[] = {
    BENCH_PERIOD_AND_KEY,
    {"&24", "[0-9]{3,24}", "", "", true, false, false, "cuenta"},
    BENCH_CODE("&24", "unidad_operacion"),
    BENCH_CODE("&24", "centro_costo"),
    {"3", "[A-Z]{3}", "004", "", true, false, false, "moneda"},
    {"1", "", "002", "-", false, false, false, "tip_doc"},
    {"&15", "[A-Za-z0-9]+", "", "-", false, false, false, "num_doc"},
    {"2", "[0-9]{2}", "010", "", true, false, false, "tip_cdp"},
    {"&20", "[A-Za-z0-9]+", "", "-", false, false, false, "serie"},
    {"&20", "[A-Za-z0-9]+", "", "", true, false, false, "numero"},
    BENCH_DATE("fec_contable", "", false),
    BENCH_DATE("fec_vencimiento", "", false),
    BENCH_DATE("fec_operacion", "", true),
    {"&200", "", "", "", true, false, false, "glosa"},
    {"&200", "", "", "", false, false, false, "glosa_referencial"},
    {"&12.2", kBenchPatronMonto, "", "", true, false, false, "debe"},
    {"&12.2", kBenchPatronMonto, "", "", true, false, false, "haber"},
    {"&92", "", "", "", false, false, false, "dato_estructurado"},
    {"1", "[0-9]", "EST", "", true, false, false, "estado"},
};

const BenchTable kTables[] = {
    {"010", kBenchTiposComprobante},
    {"002", kBenchTiposDocumento},
    {"004", kBenchMonedas},
    {"EST", "1,8,9"},
};

// What an entry records: its accounts (debit, credit), voucher and description.
struct Entry
{
    const char *debit;
    const char *credit;
    const char *voucher;
    const char *series;
    const char *register_;
    const char *glosa;
};

const Entry kEntries[] = {
    {"601101", "421201", "01", "F", "080100", "COMPRA DE MERCADERIAS"},
    {"631201", "421201", "01", "F", "080100", "SERVICIO DE TRANSPORTE"},
    {"636101", "421201", "14", "S", "080100", "SERVICIO DE ENERGIA ELECTRICA"},
    {"121201", "701111", "01", "F", "140100", "VENTA DE MERCADERIAS"},
    {"121201", "701111", "03", "B", "140100", "VENTA AL CONTADO"},
    {"104101", "121201", "00", "-", "", "COBRANZA A CLIENTES"},
    {"421201", "104101", "00", "-", "", "PAGO A PROVEEDORES"},
    {"621101", "411101", "00", "-", "", "PLANILLA DE REMUNERACIONES"},
    {"681400", "391401", "00", "-", "", "DEPRECIACION DEL MES"},
};

int formatLine(char *buf, size_t size, qint64 record, qint64 key, bool broken, int *state)
{
    // Both lines of an entry draw the same entry.
    const qint64 asiento = record / 2;
    const bool debitLine = record % 2 == 0;
    BenchDice dice(asiento);
    const int draw = dice.below(100);
    *state = draw < 80 ? 1 : draw < 90 ? 8 : 9;
    const QDate month = benchMonth(*state == 1 ? 0 : 1 + dice.below(6));
    const Entry &e = kEntries[dice.below(int(std::size(kEntries)))];
    const QDate day = month.addDays(dice.below(month.daysInMonth()));
    const qint64 cents = 5000 + dice.below64(2500000);
    const qint64 party = 100 + dice.below(5000);
    const qint64 number = 1 + dice.below64(99999999);
    const bool withVoucher = e.voucher[0] != '0' || e.voucher[1] != '0';

    BenchLine line(buf, size);
    if (broken)
        line.text("2024X300");
    else
        line.period(month);
    line.format("%lld", key / 2 + 1);
    line.format("M%lld", key % 2 + 1);
    line.text(debitLine ? e.debit : e.credit);
    line.empty();
    if (dice.below(3) == 0)
        line.format("CC%03d", 1 + dice.below(40));
    else
        line.empty();
    line.text("PEN");
    if (withVoucher) {
        char ruc[12];
        benchRuc(ruc, party);
        if (e.voucher[1] == '3') {
            line.text("1");
            benchDni(line, party);
        } else {
            line.text("6");
            line.text(ruc);
        }
        line.text(e.voucher);
        line.format("%s%03d", e.series, 1 + dice.below(20));
        line.format("%lld", number);
    } else {
        line.text("-");
        line.text("-");
        line.text("00");
        line.text("-");
        line.format("%lld", asiento + 1);
    }
    if (dice.below(2) == 0)
        line.date(day);
    else
        line.empty();
    if (withVoucher && dice.below(2) == 0)
        line.date(day.addDays(30));
    else
        line.empty();
    line.date(day);
    line.text(e.glosa);
    line.empty();
    line.amount(debitLine ? cents : 0);
    line.amount(debitLine ? 0 : cents);
    if (e.register_[0] != '\0')
        line.format("%s&%04d%02d00&%lld&M1", e.register_, month.year(), month.month(), asiento + 1);
    else
        line.empty();
    line.format("%d", *state);
    return line.finish();
}

} // namespace

const BenchLayoutSpec &benchJournalLayout()
{
    static const BenchLayoutSpec spec = {
        "050200", "20240300", "f050200", "Libro diario", kColumns, int(std::size(kColumns)), kTables,
        int(std::size(kTables)), formatLine,
    };
    return spec;
}
