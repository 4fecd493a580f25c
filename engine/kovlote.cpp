#include "kovlote.h"

void KovLote::limpia()
{
    texto.clear();
    lineas.clear();
    erroresLineas.clear();
    montos.clear();
    bytesClaves.clear();
    conSumas = false;
    totalesEnSumas = false;
    primera = 0;
    camposPrimera = 0;
    lineaCampos = -1;
    fin = false;
    bytes = 0;
    tarea = nullptr;
    estado.store(SinTarea);
    std::lock_guard<std::mutex> lock(mutex);
    descartado = false;
}

void KovLote::limpiaRespuestas()
{
    respuestas.clear();
    sumasResumen.limpia();
    sumasAgregado.limpia();
    sumasCasillas.limpia();
    sumasPeriodos.limpia();
}

QByteArray KovLote::llave(int i) const
{
    const Linea &l = lineas[size_t(i)];
    return QByteArray::fromRawData(bytesClaves.constData() + l.primerByteClave, l.finBytesClave - l.primerByteClave);
}

int KovLote::devuelto(int i) const
{
    const Linea &l = lineas[size_t(i)];
    const char *fin = texto.constData() + l.inicio + l.largo;
    return l.largo >= 2 && fin[-1] == '\n' && fin[-2] == '\r' ? l.largo - 1 : l.largo;
}

void KovLote::preparaTarea(std::function<void(KovLote *)> tarea)
{
    this->tarea = std::move(tarea);
    estado.store(Pendiente);
}

bool KovLote::reclamaYCorre()
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
    const bool reclamada = estado.compare_exchange_strong(esperado, EnCurso);
    {
        std::lock_guard<std::mutex> lock(mutex);
        descartado = true;
        if (reclamada)
            estado.store(Terminada);
    }
    hecha.notify_all();
}

bool KovLote::esperaTarea()
{
    reclamaYCorre();
    std::unique_lock<std::mutex> lock(mutex);
    hecha.wait(lock, [this] { return estado.load() != EnCurso || descartado; });
    return !descartado;
}

void KovLote::termina()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        estado.store(Terminada);
    }
    hecha.notify_all();
}
