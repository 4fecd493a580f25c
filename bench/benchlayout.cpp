#include "benchlayout.h"

#include <cstdio>

const char kBenchRuc[] = "20100066603";

const char kBenchPatronPeriodo[] = "[0-9]{4}(0[1-9]|1[0-2])00";
const char kBenchPatronFecha[] = "(0[1-9]|[12][0-9]|3[01])/(0[1-9]|1[0-2])/[0-9]{4}";
const char kBenchPatronMonto[] = "-?[0-9]{1,12}\\.[0-9]{2}";

const char kBenchTiposComprobante[] =
    "00,01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,"
    "36,37,40,41,42,43,44,45,46,48,49,50,51,52,53,54,55,56,87,88,89,91,96,97,98,99";
const char kBenchTiposDocumento[] = "0,1,4,6,7,A,B,C,D,E,F,G";
const char kBenchMonedas[] = "PEN,USD,EUR,GBP,JPY,CHF,CAD,BRL,CLP,COP,MXN,ARS,BOB,CNY";

const char *benchVoucherType(BenchVoucher voucher)
{
    static const struct {
        BenchVoucher voucher;
        const char *tipo;
    } kTypes[] = {
        {BenchVoucher::Invoice, "01"}, {BenchVoucher::Receipt, "03"}, {BenchVoucher::CreditNote, "07"},
        {BenchVoucher::DebitNote, "08"}, {BenchVoucher::Ticket, "12"}, {BenchVoucher::Utility, "14"},
        {BenchVoucher::Import, "50"}, {BenchVoucher::Other, "00"},
    };
    for (const auto &t : kTypes) {
        if (t.voucher == voucher)
            return t.tipo;
    }
    return "00";
}

void benchSeries(BenchLine &line, BenchDice &dice, BenchVoucher voucher, bool paper, bool modifiesReceipt)
{
    // Customs offices whose codes an import declaration's series takes.
    static const char *const kAduanas[] = {"019", "028", "046", "118", "127", "145", "172", "235", "262", "280"};
    const int office = 1 + dice.below(30);
    switch (voucher) {
    case BenchVoucher::Invoice:
    case BenchVoucher::Receipt:
    case BenchVoucher::CreditNote:
    case BenchVoucher::DebitNote:
        if (paper)
            line.format("%04d", office);
        else
            line.format("%c%03d",
                        voucher == BenchVoucher::Receipt || (voucher != BenchVoucher::Invoice && modifiesReceipt)
                            ? 'B'
                            : 'F',
                        office);
        break;
    case BenchVoucher::Ticket:
        line.format("FFCF%06d", 1 + dice.below(999999));
        break;
    case BenchVoucher::Utility:
        line.format("S%03d", 1 + dice.below(300));
        break;
    case BenchVoucher::Import:
        line.text(kAduanas[dice.below(int(sizeof kAduanas / sizeof kAduanas[0]))]);
        break;
    case BenchVoucher::Other:
        line.format("%04d", office);
        break;
    }
}

void benchDni(BenchLine &line, qint64 person)
{
    line.format("%08lld", 10000000 + person * 7919 % 89999999);
}

void benchRuc(char out[12], qint64 id)
{
    static const int pesos[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    std::snprintf(out, 12, "20%08lld", id % 100000000);
    int suma = 0;
    for (int i = 0; i < 10; ++i)
        suma += pesos[i] * (out[i] - '0');
    int verificador = 11 - suma % 11;
    if (verificador >= 10)
        verificador -= 10;
    out[10] = char('0' + verificador);
    out[11] = '\0';
}

QDate benchMonth(int back)
{
    return QDate(2024, 3, 1).addMonths(-back);
}
