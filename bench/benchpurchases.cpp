// The purchase register 8.1 with detailed totals: invoices, credit and debit notes, tickets, utility bills and
// import declarations in every state the register takes, in soles and foreign currency.

#include "benchlayout.h"

#include <iterator>

namespace {

const BenchColumn kColumns[] = {
    BENCH_PERIOD_AND_KEY,
    BENCH_DATE("fec_emision", "", true),
    BENCH_DATE("fec_vencimiento", "01/01/0001", false),
    {"2", "[0-9]{2}", "010", "", true, false, false, "tip_cdp"},
    BENCH_CODE("&20", "serie"),
    {"4", "[0-9]{4}", "", "0", false, false, false, "anio_dua"},
    {"&20", "[A-Za-z0-9]+", "", "", true, false, false, "numero"},
    {"&20", "[0-9]+", "", "", false, false, false, "numero_final"},
    {"1", "", "002", "", false, false, false, "tip_doc"},
    BENCH_CODE("&15", "num_doc"),
    {"&100", "", "", "", false, false, false, "razon_social"},
    BENCH_AMOUNT("bi_gravada"), BENCH_AMOUNT("igv_gravada"), BENCH_AMOUNT("bi_mixta"), BENCH_AMOUNT("igv_mixta"),
    BENCH_AMOUNT("bi_nogravada"), BENCH_AMOUNT("igv_nogravada"), BENCH_AMOUNT("no_gravada"), BENCH_AMOUNT("isc"),
    BENCH_AMOUNT("otros"), BENCH_AMOUNT("total"),
    {"3", "[A-Z]{3}", "004", "", true, false, false, "moneda"},
    {"&1.3", "[0-9]\\.[0-9]{3}", "", "", true, false, false, "tipo_cambio"},
    BENCH_DATE("fec_ref", "01/01/0001", false),
    {"2", "[0-9]{2}", "010", "", false, false, false, "tip_ref"},
    BENCH_CODE("&20", "serie_ref"),
    {"&3", "[0-9]{3}", "", "", false, false, false, "dua_ref"},
    BENCH_CODE("&20", "numero_ref"),
    BENCH_DATE("fec_detraccion", "01/01/0001", false),
    {"&24", "[0-9]+", "", "0", false, false, false, "num_detraccion"},
    BENCH_FLAG("marca_retencion"),
    {"1", "", "030", "", false, false, false, "clasif_bienes"},
    BENCH_CODE("&12", "contrato"),
    BENCH_FLAG("ind_error1"), BENCH_FLAG("ind_error2"), BENCH_FLAG("ind_error3"), BENCH_FLAG("ind_error4"),
    BENCH_FLAG("ind_pago"),
    {"1", "[0-9]", "EST", "", true, false, false, "estado"},
};

const BenchTable kTables[] = {
    {"010", kBenchTiposComprobante},
    {"002", kBenchTiposDocumento},
    {"004", kBenchMonedas},
    {"030", "1,2,3,4,5"},
    {"EST", "0,1,6,7,9"},
};

// Out of a hundred records.
const BenchVoucherShare kVouchers[] = {
    {BenchVoucher::Invoice, 50}, {BenchVoucher::Receipt, 58}, {BenchVoucher::CreditNote, 66},
    {BenchVoucher::DebitNote, 70}, {BenchVoucher::Ticket, 80}, {BenchVoucher::Utility, 88},
    {BenchVoucher::Import, 100},
};

int formatLine(char *buf, size_t size, qint64 record, qint64 key, bool broken, int *state)
{
    BenchDice dice(record);
    const int stateDraw = dice.below(100);
    *state = stateDraw < 60 ? 1 : stateDraw < 72 ? 6 : stateDraw < 77 ? 7 : stateDraw < 81 ? 0 : 9;
    BenchVoucher voucher = benchDrawVoucher(kVouchers, dice.below(100));
    // Receipts give no tax credit: only records outside the credit (state 0) or of earlier periods carry them.
    if (voucher == BenchVoucher::Receipt && *state != 0 && *state != 9)
        voucher = BenchVoucher::Invoice;
    const char *tipo = benchVoucherType(voucher);

    // The record's own period, and when its voucher was issued.
    const QDate book = benchMonth(0);
    const QDate period = *state == 9 ? benchMonth(1 + dice.below(5)) : book;
    QDate issueMonth = period;
    if (*state == 6)
        issueMonth = benchMonth(1 + dice.below(12));
    else if (*state == 7)
        issueMonth = benchMonth(13 + dice.below(24));
    const QDate issued = issueMonth.addDays(dice.below(28));

    const qint64 supplier = 1000 + dice.below(20000);
    char ruc[12];
    benchRuc(ruc, supplier);
    const qint64 number = 1 + dice.below64(99999999);

    // Amounts: bases by destination, tax at 18%, signs reversed on credit notes.
    const qint64 base = 1000 + dice.below64(4999000);
    qint64 amounts[9] = {};
    const int destination = dice.below(10);
    if (voucher == BenchVoucher::Receipt)
        amounts[6] = base;
    else if (destination < 7) {
        amounts[0] = base;
        amounts[1] = base * 18 / 100;
    } else if (destination == 7) {
        amounts[2] = base;
        amounts[3] = base * 18 / 100;
    } else if (destination == 8) {
        amounts[4] = base;
        amounts[5] = base * 18 / 100;
    } else {
        amounts[6] = base;
    }
    if (voucher == BenchVoucher::Utility && dice.below(4) == 0)
        amounts[7] = base / 20;
    if (dice.below(8) == 0)
        amounts[8] = 50 * (1 + dice.below(6));
    qint64 total = 0;
    for (qint64 &a : amounts) {
        if (voucher == BenchVoucher::CreditNote)
            a = -a;
        total += a;
    }

    BenchLine line(buf, size);
    if (broken)
        line.text("2024X300");
    else
        line.period(period);
    line.format("%lld", key + 1);
    line.text("M1");
    line.date(issued);
    if (voucher == BenchVoucher::Utility || dice.below(3) == 0)
        line.date(issued.addDays(20));
    else
        line.text("01/01/0001");
    line.text(tipo);

    // Series (electronic ones begin with a letter, paper ones are digits), DUA year, number, second number.
    const bool paper = dice.below(4) == 0;
    benchSeries(line, dice, voucher, paper, false);
    if (voucher == BenchVoucher::Import) {
        line.format("%04d", period.year());
        line.format("%lld", number % 999999 + 1);
    } else {
        line.empty();
        line.format("%lld", number);
    }
    if (voucher == BenchVoucher::Ticket && dice.below(2) == 0)
        line.format("%lld", number + 1 + dice.below(50));
    else
        line.empty();

    // The supplier.
    if (voucher == BenchVoucher::Import) {
        line.text("0");
        line.format("EXT%08lld", supplier);
        line.format("EXPORTADORA NUMERO %lld INC", supplier);
    } else if (voucher == BenchVoucher::Receipt && dice.below(2) == 0) {
        line.text("1");
        benchDni(line, supplier);
        line.format("PERSONA NATURAL %lld", supplier);
    } else {
        line.text("6");
        line.text(ruc);
        line.format("PROVEEDOR NUMERO %lld SAC", supplier);
    }

    for (qint64 a : amounts)
        line.amount(a);
    line.amount(total);

    const int currency = voucher == BenchVoucher::Import ? 8 : dice.below(10);
    if (currency < 8) {
        line.text("PEN");
        line.text("1.000");
    } else {
        line.text(currency == 8 ? "USD" : "EUR");
        line.format("%d.%03d", currency == 8 ? 3 : 4, 600 + dice.below(200));
    }

    // The voucher a note modifies.
    if (voucher == BenchVoucher::CreditNote || voucher == BenchVoucher::DebitNote) {
        line.date(QDate(issued.year(), issued.month(), 1));
        line.text("01");
        line.format("F%03d", 1 + dice.below(30));
        line.empty();
        line.format("%lld", 1 + dice.below64(9999999));
    } else {
        for (int i = 0; i < 5; ++i)
            line.empty();
    }

    // Withholding of large invoices.
    if (voucher == BenchVoucher::Invoice && base >= 70000 && dice.below(5) == 0) {
        line.date(issued);
        line.format("%09lld", 1 + dice.below64(999999999));
    } else {
        line.empty();
        line.empty();
    }
    if (dice.below(13) == 0)
        line.text("1");
    else
        line.empty();
    if (dice.below(6) == 0)
        line.format("%d", 1 + dice.below(5));
    else
        line.empty();
    line.empty();

    // Indicators: the error marks are rare, the payment mark common on large totals.
    for (int i = 0; i < 4; ++i)
        line.text(dice.below(50) == 0 ? "1" : "");
    line.text(total >= 350000 && dice.below(2) == 0 ? "1" : "");
    line.format("%d", *state);
    return line.finish();
}

} // namespace

const BenchLayoutSpec &benchPurchasesLayout()
{
    static const BenchLayoutSpec spec = {
        "080100", "20240300", "f080100d", "Registro de compras", kColumns, int(std::size(kColumns)), kTables,
        int(std::size(kTables)), formatLine,
    };
    return spec;
}
