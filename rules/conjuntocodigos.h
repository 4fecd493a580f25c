#ifndef CONJUNTOCODIGOS_H
#define CONJUNTOCODIGOS_H

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <vector>

// A fixed list of codes answering the membership test of inList (the whole text, case-sensitive, untrimmed)
// without comparing texts. A record asks several such lists about its voucher type, state and series, so each
// code of up to seven Latin-1 characters is held as one number made of its length and its characters: a lookup
// reads the text once and searches sorted numbers. Built once, then only read, from any number of threads.
class ConjuntoCodigos
{
public:
    // Codes separated by blanks, read as listaCodigos reads them.
    explicit ConjuntoCodigos(const char *codigos);
    ConjuntoCodigos(std::initializer_list<const char *> codigos);
    explicit ConjuntoCodigos(const QStringList &codigos);

    bool contiene(const QString &texto) const;

private:
    std::vector<quint64> claves;
    // A longer or wider code has no number; such codes, if a list ever holds one, are compared as texts.
    QStringList largos;
};

#endif // CONJUNTOCODIGOS_H
