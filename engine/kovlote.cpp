#include "kovlote.h"

void KovLote::limpia()
{
    lineas.clear();
    erroresLineas.clear();
    montos.clear();
    crudos.clear();
    bytesClaves.clear();
    respuestas.clear();
    fin = false;
    bytes = 0;
    tarea = nullptr;
    estado.store(SinTarea);
}

QByteArray KovLote::llave(int i) const
{
    const Linea &l = lineas[i];
    return QByteArray::fromRawData(bytesClaves.constData() + l.primerByteClave, l.finBytesClave - l.primerByteClave);
}

void KovLote::preparaValidacion(std::function<void(KovLote *)> tarea)
{
    this->tarea = std::move(tarea);
    estado.store(Pendiente);
}

bool KovLote::tieneValidacion() const
{
    return estado.load() != SinTarea;
}

bool KovLote::reclamaYValida()
{
    int esperado = Pendiente;
    if (!estado.compare_exchange_strong(esperado, EnCurso))
        return false;
    tarea(this);
    termina();
    return true;
}

void KovLote::descarta()
{
    int esperado = Pendiente;
    if (estado.compare_exchange_strong(esperado, EnCurso))
        termina();
}

void KovLote::esperaValidacion()
{
    if (reclamaYValida())
        return;
    std::unique_lock<std::mutex> lock(mutex);
    hecha.wait(lock, [this] { return estado.load() != EnCurso; });
}

void KovLote::termina()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        estado.store(Terminada);
    }
    hecha.notify_all();
}
