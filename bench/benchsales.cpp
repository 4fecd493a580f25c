// The sales register 14.1 with detailed totals: invoices (some exported), receipts to named and unnamed
// customers, credit and debit notes, tickets and utility bills, cancelled vouchers and records of earlier periods.

#include "benchlayout.h"

#include <iterator>

namespace {

const BenchColumn kColumns[] = {
    BENCH_PERIOD_AND_KEY,
    BENCH_DATE("fec_emision", "01/01/0001", true),
    BENCH_DATE("fec_vencimiento", "01/01/0001", false),
    {"2", "[0-9]{2}", "010", "", true, false, false, "tip_cdp"},
    BENCH_CODE("&20", "serie"),
    {"&20", "[A-Za-z0-9]+", "", "", true, false, false, "numero"},
    {"&20", "[0-9]+", "", "", false, false, false, "numero_final"},
    {"1", "", "002", "", false, false, false, "tip_doc"},
    BENCH_CODE("&15", "num_doc"),
    {"&100", "", "", "", false, false, false, "razon_social"},
    BENCH_AMOUNT("exportacion"), BENCH_AMOUNT("bi_gravada"), BENCH_AMOUNT("desc_bi"), BENCH_AMOUNT("igv"),
    BENCH_AMOUNT("desc_igv"), BENCH_AMOUNT("exonerada"), BENCH_AMOUNT("inafecta"), BENCH_AMOUNT("isc"),
    BENCH_AMOUNT("bi_ivap"), BENCH_AMOUNT("ivap"), BENCH_AMOUNT("otros"), BENCH_AMOUNT("total"),
    {"3", "[A-Z]{3}", "004", "", false, false, false, "moneda"},
    {"&1.3", "[0-9]\\.[0-9]{3}", "", "", false, false, false, "tipo_cambio"},
    BENCH_DATE("fec_ref", "01/01/0001", false),
    {"2", "[0-9]{2}", "010", "", false, false, false, "tip_ref"},
    BENCH_CODE("&20", "serie_ref"),
    BENCH_CODE("&20", "numero_ref"),
    BENCH_CODE("&12", "contrato"),
    BENCH_FLAG("ind_error1"), BENCH_FLAG("ind_pago"),
    {"1", "[0-9]", "EST", "", true, false, false, "estado"},
};

const BenchTable kTables[] = {
    {"010", kBenchTiposComprobante},
    {"002", kBenchTiposDocumento},
    {"004", kBenchMonedas},
    {"EST", "0,1,2,8,9"},
};

// Out of a hundred records.
const BenchVoucherShare kVouchers[] = {
    {BenchVoucher::Invoice, 45}, {BenchVoucher::Receipt, 70}, {BenchVoucher::CreditNote, 78},
    {BenchVoucher::DebitNote, 82}, {BenchVoucher::Ticket, 92}, {BenchVoucher::Utility, 100},
};

enum Amount { Export, Base, BaseDiscount, Igv, IgvDiscount, Exempt, Unaffected, Isc, IvapBase, Ivap, Others, kAmounts };

int formatLine(char *buf, size_t size, qint64 record, qint64 key, bool broken, int *state)
{
    BenchDice dice(record);
    const int stateDraw = dice.below(100);
    *state = stateDraw < 65 ? 1 : stateDraw < 70 ? 2 : stateDraw < 75 ? 0 : stateDraw < 85 ? 8 : 9;
    // Records outside the period's sales (state 0) are of types of their own.
    const BenchVoucher voucher = *state == 0 ? BenchVoucher::Other : benchDrawVoucher(kVouchers, dice.below(100));
    const bool cancelled = *state == 2;
    const bool earlier = *state == 8 || *state == 9;

    const QDate period = earlier ? benchMonth(1 + dice.below(5)) : benchMonth(0);
    const QDate issued = period.addDays(dice.below(28));
    const qint64 customer = 30000 + dice.below(50000);
    const qint64 number = 1 + dice.below64(99999999);
    const bool modifiesReceipt = dice.below(3) == 0;

    qint64 amounts[kAmounts] = {};
    const qint64 base = 500 + dice.below64(2999500);
    const bool exported = voucher == BenchVoucher::Invoice && dice.below(10) == 0;
    if (!cancelled) {
        const int kind = dice.below(20);
        if (exported) {
            amounts[Export] = base;
        } else if (kind < 14) {
            amounts[Base] = base;
            amounts[Igv] = base * 18 / 100;
            if (dice.below(10) == 0) {
                amounts[BaseDiscount] = base / 20;
                amounts[IgvDiscount] = base / 20 * 18 / 100;
            }
        } else if (kind < 16) {
            amounts[Exempt] = base;
        } else if (kind < 18) {
            amounts[Unaffected] = base;
        } else if (kind == 18) {
            amounts[IvapBase] = base;
            amounts[Ivap] = base * 4 / 100;
        } else {
            amounts[Base] = base;
            amounts[Igv] = base * 18 / 100;
            amounts[Exempt] = base / 3;
        }
        if (voucher == BenchVoucher::Utility && dice.below(4) == 0)
            amounts[Isc] = base / 25;
        if (dice.below(8) == 0)
            amounts[Others] = 50 * (1 + dice.below(6));
    }
    qint64 total = 0;
    for (int i = 0; i < kAmounts; ++i) {
        if (voucher == BenchVoucher::CreditNote)
            amounts[i] = -amounts[i];
        if (i != BaseDiscount && i != IgvDiscount)
            total += amounts[i];
    }

    BenchLine line(buf, size);
    if (broken)
        line.text("2024X300");
    else
        line.period(period);
    line.format("%lld", key + 1);
    line.text("M1");
    line.date(issued);
    if (voucher == BenchVoucher::Utility || (voucher == BenchVoucher::Invoice && dice.below(3) == 0))
        line.date(issued.addDays(20));
    else
        line.empty();
    line.text(benchVoucherType(voucher));

    const bool paper = dice.below(5) == 0;
    benchSeries(line, dice, voucher, paper, modifiesReceipt);
    line.format("%lld", number);
    // Receipts and tickets summarised as a range of numbers.
    const bool range = (voucher == BenchVoucher::Receipt || voucher == BenchVoucher::Ticket) && dice.below(4) == 0;
    if (range)
        line.format("%lld", number + 1 + dice.below(200));
    else
        line.empty();

    // The customer: a company, an exporter's foreign buyer, a person, or nobody on small receipts.
    char ruc[12];
    benchRuc(ruc, customer);
    const bool smallSale = (voucher == BenchVoucher::Receipt || voucher == BenchVoucher::Ticket) && total < 70000;
    const bool anonymous = cancelled || (smallSale && dice.below(2) == 0);
    if (anonymous) {
        line.empty();
        line.empty();
        line.text(cancelled ? "ANULADO" : "CLIENTES VARIOS");
    } else if (exported) {
        line.text("0");
        line.format("EXT%08lld", customer);
        line.format("IMPORTADORA NUMERO %lld LLC", customer);
    } else if (voucher == BenchVoucher::Receipt || (voucher == BenchVoucher::Ticket && dice.below(2) == 0)) {
        line.text("1");
        benchDni(line, customer);
        line.format("CLIENTE NUMERO %lld", customer);
    } else {
        line.text("6");
        line.text(ruc);
        line.format("CLIENTE NUMERO %lld SAC", customer);
    }

    for (qint64 a : amounts)
        line.amount(a);
    line.amount(total);

    if (exported || dice.below(10) < 2) {
        line.text("USD");
        line.format("3.%03d", 600 + dice.below(200));
    } else {
        line.text("PEN");
        line.text("1.000");
    }

    if (voucher == BenchVoucher::CreditNote || voucher == BenchVoucher::DebitNote) {
        line.date(QDate(issued.year(), issued.month(), 1));
        line.text(modifiesReceipt ? "03" : "01");
        line.format("%c%03d", modifiesReceipt ? 'B' : 'F', 1 + dice.below(20));
        line.format("%lld", 1 + dice.below64(9999999));
    } else {
        for (int i = 0; i < 4; ++i)
            line.empty();
    }
    line.empty();
    line.text(dice.below(60) == 0 ? "1" : "");
    line.text(!cancelled && total >= 350000 && dice.below(2) == 0 ? "1" : "");
    line.format("%d", *state);
    return line.finish();
}

} // namespace

const BenchLayoutSpec &benchSalesLayout()
{
    static const BenchLayoutSpec spec = {
        "140100", "20240300", "f140100d", "Registro de ventas", kColumns, int(std::size(kColumns)), kTables,
        int(std::size(kTables)), formatLine,
    };
    return spec;
}
