#include "kovjuezpatron.h"

#include <QAtomicInt>
#include <QByteArray>
#include <QCache>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRegExp>
#include <QSemaphore>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

#if defined(__SANITIZE_ADDRESS__)
#define KOV_CON_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOV_CON_ASAN 1
#endif
#endif

#ifdef KOV_CON_ASAN
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*asigna)(const volatile void *, size_t),
                                               void (*libera)(const volatile void *));
size_t __sanitizer_get_current_allocated_bytes();
size_t __sanitizer_get_allocated_size(const volatile void *p);
}
#endif

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
#define KOV_CIERRE_AL_NACER 1
#endif

#if !defined(KOV_CON_ASAN) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
#define KOV_CON_MALLINFO2 1
#include <malloc.h>
#endif

namespace {

// What the child may spend on one call's patterns. A loaded machine gives the child a small share of a core, and a
// good pattern must not turn into a refusal for it: its processor time bounds what it does, and the waits in wall
// time, for a turn among the children and for the child, are as long as a client waits for its request. A wait
// looks every slice whether its thread is asked to end.
const qint64 kCpuHijoUs = KovJuezPatron::kProcesadorHijoUs;
const qint64 kMemoriaHijo = 100 * 1024 * 1024;
const int kEsperaHijoMs = 120000;
const int kEsperaTurnoMs = kEsperaHijoMs;
const int kRebanadaMs = 50;
#ifdef KOV_CON_ASAN
// The sanitizer's allocator cannot live under a limit of address space: the child counts what it allocates
// instead, and its caller watches what it holds besides, with room for the sanitizer's own records.
const qint64 kResidenteHijo = 4 * kMemoriaHijo;
const int kVigilanciaMs = 10;
const size_t kRevisionCada = 1024 * 1024;
// What the child holds as its code asked for it, without the sanitizer's own padding, kept by its hooks.
qint64 gPedido = 0;
#endif

// The remembered verdicts: every entry counts its pattern's characters and an allowance for holding it, so there
// are at most 2 million characters and 16,384 entries.
const int kCostoEntrada = 128;
const int kCostoMaximo = 2 * 1024 * 1024;

// The exchange: the request names its form, and the reply's first line proves the child is one of ours and says
// what of it was resident when it started (in KiB). Then the child writes a line per pattern as it finishes it: its
// letter and, for a pattern QRegExp takes, the microseconds of processor time and the bytes of its engine.
const char kPeticion[] = "KOVJUEZ2";
const char kRespuesta[] = "KOVJUEZ2 ";
const int kLargoCabecera = 32;
const int kLargoVeredicto = 32;
const qint64 kCifraMaxima = qint64(1) << 40;
const char kValido = 'V';
const char kInvalido = 'I';
// The bound was passed while compiling this pattern with most of the budget still unspent: a verdict to remember.
const char kExcesivo = 'E';
// The bound was passed after much of it went on patterns before: Excesivo this time only.
const char kAgotado = 'X';

QMutex gMutex;
QString gEjecutable;
QCache<QString, KovJuezPatron::Juicio> gVeredictos(kCostoMaximo);
QAtomicInt gHijos;
QSemaphore gTurnos(qMax(2, QThread::idealThreadCount()));

// What a process holds, from the kernel's count of its pages: all it has mapped, or only what is resident.
qint64 memoriaDe(const char *statm, bool residente)
{
    const int fd = ::open(statm, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char texto[128];
    const ssize_t leido = ::read(fd, texto, sizeof texto - 1);
    ::close(fd);
    if (leido <= 0)
        return -1;
    texto[leido] = '\0';
    long long mapeadas = 0;
    long long residentes = 0;
    if (std::sscanf(texto, "%lld %lld", &mapeadas, &residentes) != 2)
        return -1;
    return (residente ? residentes : mapeadas) * qint64(::sysconf(_SC_PAGESIZE));
}

// The child's answers are a few bytes on a pipe; a short write is only an interrupted one.
bool escribeTodo(int fd, const char *datos, size_t largo)
{
    for (ssize_t n; largo > 0; datos += n, largo -= size_t(n)) {
        n = ::write(fd, datos, largo);
        if (n < 0 && errno == EINTR)
            n = 0;
        else if (n <= 0)
            return false;
    }
    return true;
}

// What the child's bound on memory counts.
qint64 memoriaPropia()
{
#ifdef KOV_CON_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return memoriaDe("/proc/self/statm", false);
#endif
}

// What the process has allocated and not freed: what a compiled engine holds is what this grew by while it compiled.
qint64 asignado()
{
#if defined(KOV_CON_ASAN)
    return gPedido;
#elif defined(KOV_CON_MALLINFO2)
    const struct mallinfo2 datos = ::mallinfo2();
    return qint64(datos.uordblks + datos.hblkhd);
#else
    return memoriaDe("/proc/self/statm", true);
#endif
}

// The child runs on one thread, whose clock is exact where the process's moves by ticks once a limit of processor
// time is set.
qint64 procesadorNs()
{
    timespec ahora;
    if (::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ahora) != 0)
        return 0;
    return qint64(ahora.tv_sec) * 1000000000 + qint64(ahora.tv_nsec);
}

// Whether the pattern now being compiled had most of the budget to itself, so that passing it says something of
// the pattern rather than of the ones before it. Read by the handler of the processor limit.
volatile sig_atomic_t gFiable = 0;

// The child's end when a limit is reached while it compiles.
void excedido()
{
    static const char kLineaExcesivo[] = {kExcesivo, '\n'};
    static const char kLineaAgotado[] = {kAgotado, '\n'};
    escribeTodo(STDOUT_FILENO, gFiable ? kLineaExcesivo : kLineaAgotado, 2);
    _exit(3);
}

void procesadorAgotado(int)
{
    excedido();
}

#ifdef KOV_CON_ASAN
qint64 gTecho = 0;
size_t gDesdeRevision = 0;

void vigilaAsignacion(const volatile void *, size_t largo)
{
    gPedido += qint64(largo);
    gDesdeRevision += largo;
    if (gDesdeRevision < kRevisionCada)
        return;
    gDesdeRevision = 0;
    if (memoriaPropia() > gTecho)
        excedido();
}

void vigilaLiberacion(const volatile void *bloque)
{
    if (bloque)
        gPedido -= qint64(__sanitizer_get_allocated_size(bloque));
}
#endif

bool conPresupuesto(qint64 base)
{
    itimerval resto;
    if (::getitimer(ITIMER_PROF, &resto) != 0)
        return false;
    const qint64 restoUs = qint64(resto.it_value.tv_sec) * 1000000 + qint64(resto.it_value.tv_usec);
    return restoUs >= kCpuHijoUs / 2 && memoriaPropia() - base < kMemoriaHijo / 2;
}

// Sets a limit no higher than the one the child was started under, which it cannot raise.
void limita(int recurso, rlim_t blando, rlim_t duro)
{
    rlimit limite;
    if (::getrlimit(recurso, &limite) != 0)
        _exit(2);
    if (limite.rlim_max != RLIM_INFINITY) {
        duro = qMin(duro, limite.rlim_max);
        blando = qMin(blando, duro);
    }
    limite.rlim_cur = blando;
    limite.rlim_max = duro;
    if (::setrlimit(recurso, &limite) != 0)
        _exit(2);
}

// The child limits itself before it reads anything: the limits hold whatever the patterns do.
qint64 limitaHijo()
{
    limita(RLIMIT_CORE, 0, 0);

    const qint64 base = memoriaPropia();
    if (base < 0)
        _exit(2);
#ifdef KOV_CON_ASAN
    gTecho = base + kMemoriaHijo;
    if (!__sanitizer_install_malloc_and_free_hooks(vigilaAsignacion, vigilaLiberacion))
        _exit(2);
#else
    limita(RLIMIT_AS, rlim_t(base + kMemoriaHijo), rlim_t(base + kMemoriaHijo));
#endif

    struct sigaction accion;
    std::memset(&accion, 0, sizeof accion);
    accion.sa_handler = procesadorAgotado;
    sigemptyset(&accion.sa_mask);
    itimerval reloj;
    std::memset(&reloj, 0, sizeof reloj);
    reloj.it_value.tv_sec = time_t(kCpuHijoUs / 1000000);
    reloj.it_value.tv_usec = suseconds_t(kCpuHijoUs % 1000000);
    if (::sigaction(SIGPROF, &accion, nullptr) != 0 || ::setitimer(ITIMER_PROF, &reloj, nullptr) != 0)
        _exit(2);
    // Should the timer's signal not end it, the kernel does so a little later.
    rusage uso;
    if (::getrusage(RUSAGE_SELF, &uso) != 0)
        _exit(2);
    const rlim_t segundos = rlim_t(uso.ru_utime.tv_sec + uso.ru_stime.tv_sec + 3);
    limita(RLIMIT_CPU, segundos, segundos + 1);
    return base;
}

quint32 leeNumero(const char *datos)
{
    quint32 n;
    std::memcpy(&n, datos, sizeof n);
    return n;
}

void agregaNumero(QByteArray *datos, quint32 n)
{
    datos->append(reinterpret_cast<const char *>(&n), sizeof n);
}

// The patterns as their UTF-16 code units, each after its length, so that the child compiles the very text.
QByteArray peticion(const QStringList &patrones)
{
    QByteArray datos(kPeticion);
    agregaNumero(&datos, quint32(patrones.size()));
    for (const QString &patron : patrones) {
        agregaNumero(&datos, quint32(patron.size()));
        datos.append(reinterpret_cast<const char *>(patron.utf16()), patron.size() * 2);
    }
    return datos;
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() { cierra(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    void cierra()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    int fd;
};

// Starts the child on one end of a socket pair, which is its standard input and output; nothing else of this
// process reaches it, not a descriptor, not a signal's handling or mask. -1 when it cannot start.
pid_t iniciaHijo(const QByteArray &programa, int extremo)
{
    posix_spawn_file_actions_t acciones;
    posix_spawnattr_t atributos;
    if (posix_spawn_file_actions_init(&acciones) != 0)
        return -1;
    if (posix_spawnattr_init(&atributos) != 0) {
        posix_spawn_file_actions_destroy(&acciones);
        return -1;
    }
    sigset_t ninguna;
    sigset_t todas;
    sigemptyset(&ninguna);
    sigfillset(&todas);
    bool listo = posix_spawn_file_actions_adddup2(&acciones, extremo, STDIN_FILENO) == 0
                 && posix_spawn_file_actions_adddup2(&acciones, extremo, STDOUT_FILENO) == 0
                 && posix_spawn_file_actions_addopen(&acciones, STDERR_FILENO, "/dev/null", O_WRONLY, 0) == 0
                 && posix_spawnattr_setsigmask(&atributos, &ninguna) == 0
                 && posix_spawnattr_setsigdefault(&atributos, &todas) == 0
                 && posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
#ifdef KOV_CIERRE_AL_NACER
    listo = listo && posix_spawn_file_actions_addclosefrom_np(&acciones, STDERR_FILENO + 1) == 0;
#endif

    QVector<char *> entorno;
#if defined(KOV_CON_ASAN)
    // The sanitizer's quarantine of freed memory would count as the child's own; an allocation it cannot make
    // must fail as it does without it, so that the child reports it.
    const char kVariable[] = "ASAN_OPTIONS=";
    const char kOpciones[] = "quarantine_size_mb=8:thread_local_quarantine_size_kb=64:malloc_context_size=2"
                             ":allocator_may_return_null=1";
#elif defined(KOV_CON_MALLINFO2)
    // The allocator's per-thread cache counts the blocks it keeps as in use, so that an engine built of them would
    // seem to hold nothing.
    const char kVariable[] = "GLIBC_TUNABLES=";
    const char kOpciones[] = "glibc.malloc.tcache_count=0";
#endif
#if defined(KOV_CON_ASAN) || defined(KOV_CON_MALLINFO2)
    QByteArray opciones(kVariable);
    for (char **variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, kVariable, sizeof kVariable - 1) == 0)
            opciones.append(*variable + sizeof kVariable - 1).append(':');
        else
            entorno.append(*variable);
    }
    opciones.append(kOpciones);
    entorno.append(opciones.data());
#else
    for (char **variable = environ; *variable; ++variable)
        entorno.append(*variable);
#endif
    entorno.append(nullptr);

    char *argumentos[] = {const_cast<char *>(programa.constData()),
                          const_cast<char *>(KovJuezPatron::argumentoHijo()), nullptr};
    pid_t pid = -1;
    if (listo && posix_spawn(&pid, programa.constData(), &acciones, &atributos, argumentos, entorno.data()) != 0)
        pid = -1;
    posix_spawnattr_destroy(&atributos);
    posix_spawn_file_actions_destroy(&acciones);
    return pid;
}

// The child's reply so far: its first line. False once it says something no child of ours says.
bool leeRespuesta(const QByteArray &respuesta, int *inicio, qint64 *base)
{
    if (*inicio > 0)
        return true;
    const int fin = respuesta.indexOf('\n');
    if (fin < 0)
        return respuesta.size() < kLargoCabecera;
    if (fin >= kLargoCabecera || !respuesta.startsWith(kRespuesta))
        return false;
    bool numero = false;
    const qint64 kib = respuesta.mid(int(sizeof kRespuesta) - 1, fin - int(sizeof kRespuesta) + 1).toLongLong(&numero);
    if (!numero || kib < 0 || kib > (qint64(1) << 40))
        return false;
    *base = kib * 1024;
    *inicio = fin + 1;
    return true;
}

// What the child reported of one pattern; `letra` is zero where it reported nothing.
struct Reporte
{
    char letra = '\0';
    qint64 procesadorUs = 0;
    qint64 memoria = 0;
};

qint64 cifra(const QByteArray &texto, bool *bien)
{
    bool numero = false;
    const qint64 n = texto.toLongLong(&numero);
    *bien = *bien && numero && n >= 0 && n <= kCifraMaxima;
    return n;
}

// The verdict lines of the reply that have come whole, from `*desde` on. False once a line is one no child of ours
// writes.
bool leeVeredictos(const QByteArray &respuesta, int *desde, int cantidad, QVector<Reporte> *reportes)
{
    while (reportes->size() < cantidad) {
        const int fin = respuesta.indexOf('\n', *desde);
        if (fin < 0)
            return respuesta.size() - *desde < kLargoVeredicto;
        if (fin - *desde >= kLargoVeredicto)
            return false;
        const QList<QByteArray> campos = respuesta.mid(*desde, fin - *desde).split(' ');
        Reporte reporte;
        if (campos.at(0).size() == 1)
            reporte.letra = campos.at(0).at(0);
        bool bien = reporte.letra == kValido || reporte.letra == kInvalido || reporte.letra == kExcesivo
                    || reporte.letra == kAgotado;
        if (reporte.letra == kValido && campos.size() == 3) {
            reporte.procesadorUs = cifra(campos.at(1), &bien);
            reporte.memoria = cifra(campos.at(2), &bien);
        } else if (reporte.letra == kValido || campos.size() != 1) {
            bien = false;
        }
        if (!bien)
            return false;
        reportes->append(reporte);
        *desde = fin + 1;
    }
    return true;
}

// A quit asks the service's threads to end: a wait of the judge gives way to it.
bool pedidoFin()
{
    return QThread::currentThread()->isInterruptionRequested();
}

// A turn among the children that may run at once.
bool tomaTurno()
{
    const QDeadlineTimer plazo(kEsperaTurnoMs);
    while (!pedidoFin()) {
        if (gTurnos.tryAcquire(1, int(qMin<qint64>(plazo.remainingTime(), kRebanadaMs))))
            return true;
        if (plazo.hasExpired())
            return false;
    }
    return false;
}

// Runs one child on the patterns: what it reported, in their order, as far as it reported.
QVector<Reporte> consultaHijo(const QStringList &patrones)
{
    QVector<Reporte> reportes;
    const QString ruta = KovJuezPatron::ejecutable();
    if (ruta.isEmpty() || !tomaTurno())
        return reportes;
    const QSemaphoreReleaser turno(&gTurnos);

    int par[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par) != 0)
        return reportes;
    Descriptor propio(par[0]);
    Descriptor ajeno(par[1]);
    const QByteArray datos = peticion(patrones);
    const pid_t pid = iniciaHijo(QFile::encodeName(ruta), ajeno.fd);
    ajeno.cierra();
    if (pid < 0)
        return reportes;
    gHijos.ref();

    reportes.reserve(patrones.size());
    const qint64 tope = kLargoCabecera + qint64(patrones.size()) * kLargoVeredicto;
    QByteArray respuesta;
    int inicio = 0;
    int leido = 0;
    qint64 base = 0;
    int enviado = 0;
    bool escribe = true;
    const QDeadlineTimer plazo(kEsperaHijoMs);
    while (reportes.size() < patrones.size() && !pedidoFin()) {
        int espera = int(qMin<qint64>(plazo.remainingTime(), kRebanadaMs));
        if (espera <= 0)
            break;
#ifdef KOV_CON_ASAN
        espera = qMin(espera, kVigilanciaMs);
        if (inicio > 0) {
            const QByteArray statm = "/proc/" + QByteArray::number(pid) + "/statm";
            if (memoriaDe(statm.constData(), true) > base + kResidenteHijo)
                break;
        }
#endif
        pollfd sondeo = {propio.fd, short(POLLIN | (escribe ? POLLOUT : 0)), 0};
        const int listos = ::poll(&sondeo, 1, espera);
        if (listos < 0 && errno != EINTR)
            break;
        if (listos <= 0)
            continue;
        if (escribe && (sondeo.revents & POLLOUT)) {
            const ssize_t n = ::send(propio.fd, datos.constData() + enviado, size_t(datos.size() - enviado),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                enviado += int(n);
            // A child that stops reading early may still have verdicts to give.
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || enviado == datos.size()) {
                escribe = false;
                ::shutdown(propio.fd, SHUT_WR);
            }
        }
        if (sondeo.revents & (POLLIN | POLLHUP | POLLERR)) {
            char bloque[4096];
            const qint64 falta = tope - respuesta.size();
            if (falta <= 0)
                break;
            const ssize_t n = ::recv(propio.fd, bloque, size_t(qMin<qint64>(falta, sizeof bloque)), MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
            if (n > 0)
                respuesta.append(bloque, int(n));
            if (!leeRespuesta(respuesta, &inicio, &base))
                break;
            leido = qMax(leido, inicio);
            if (inicio > 0 && !leeVeredictos(respuesta, &leido, patrones.size(), &reportes))
                break;
        }
    }
    // Whatever it was doing, the child ends here; it is still this process's child, so its number is not reused.
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR)
        continue;
    return reportes;
}

} // namespace

void KovJuezPatron::setEjecutable(const QString &ruta)
{
    QMutexLocker lock(&gMutex);
    gEjecutable = ruta;
}

QString KovJuezPatron::ejecutable()
{
    QMutexLocker lock(&gMutex);
    return gEjecutable;
}

QVector<KovJuezPatron::Juicio> KovJuezPatron::juzga(const QStringList &patrones)
{
    QHash<QString, Juicio> conocidos;
    QStringList nuevos;
    {
        QMutexLocker lock(&gMutex);
        for (const QString &patron : patrones) {
            if (patron.isEmpty() || conocidos.contains(patron))
                continue;
            if (const Juicio *juicio = gVeredictos.object(patron)) {
                conocidos.insert(patron, *juicio);
            } else {
                conocidos.insert(patron, Juicio());
                nuevos.append(patron);
            }
        }
    }

    if (!nuevos.isEmpty()) {
        const QVector<Reporte> reportes = consultaHijo(nuevos);
        QMutexLocker lock(&gMutex);
        for (int i = 0; i < reportes.size(); ++i) {
            const Reporte &reporte = reportes.at(i);
            Juicio juicio;
            if (reporte.letra == kValido) {
                juicio.veredicto = Valido;
                juicio.procesadorUs = reporte.procesadorUs;
                juicio.memoria = reporte.memoria;
            } else if (reporte.letra == kInvalido) {
                juicio.veredicto = Invalido;
            } else if (reporte.letra != kExcesivo) {
                continue;
            }
            conocidos.insert(nuevos.at(i), juicio);
            gVeredictos.insert(nuevos.at(i), new Juicio(juicio), nuevos.at(i).size() + kCostoEntrada);
        }
    }

    QVector<Juicio> juicios;
    juicios.reserve(patrones.size());
    for (const QString &patron : patrones) {
        Juicio juicio;
        juicio.veredicto = Valido;
        juicios.append(patron.isEmpty() ? juicio : conocidos.value(patron));
    }
    return juicios;
}

int KovJuezPatron::hijosIniciados()
{
    return gHijos.loadRelaxed();
}

const char *KovJuezPatron::argumentoHijo()
{
    return "--kov-juez-patron";
}

int KovJuezPatron::hijo()
{
    const qint64 base = limitaHijo();
#ifndef KOV_CIERRE_AL_NACER
    for (int fd = STDERR_FILENO + 1; fd < int(::sysconf(_SC_OPEN_MAX)); ++fd)
        ::close(fd);
#endif
    char cabecera[kLargoCabecera];
    const int largoCabecera = std::snprintf(cabecera, sizeof cabecera, "%s%lld\n", kRespuesta,
                                            static_cast<long long>(memoriaDe("/proc/self/statm", true) / 1024));
    escribeTodo(STDOUT_FILENO, cabecera, size_t(largoCabecera));

    QByteArray entrada;
    try {
        char bloque[65536];
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, bloque, sizeof bloque);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                _exit(2);
            if (n == 0)
                break;
            entrada.append(bloque, int(n));
        }
    } catch (const std::bad_alloc &) {
        _exit(3);
    }

    const int largoPeticion = int(sizeof kPeticion) - 1;
    if (entrada.size() < largoPeticion + 4 || !entrada.startsWith(kPeticion))
        _exit(2);
    const char *datos = entrada.constData() + largoPeticion;
    const char *fin = entrada.constData() + entrada.size();
    const quint32 cantidad = leeNumero(datos);
    datos += 4;
    for (quint32 i = 0; i < cantidad; ++i) {
        if (fin - datos < 4)
            _exit(2);
        const quint32 largo = leeNumero(datos);
        datos += 4;
        if (quint64(fin - datos) < quint64(largo) * 2)
            _exit(2);
        gFiable = conPresupuesto(base);
        char linea[kLargoVeredicto];
        int largoLinea = 0;
        try {
            QString patron(int(largo), Qt::Uninitialized);
            std::memcpy(patron.data(), datos, size_t(largo) * 2);
            const qint64 antes = asignado();
            const qint64 desde = procesadorNs();
            const QRegExp expresion(patron, Qt::CaseSensitive, QRegExp::RegExp);
            const qint64 procesadorUs = (procesadorNs() - desde + 999) / 1000;
            const qint64 memoria = qMax<qint64>(0, asignado() - antes);
            if (expresion.isValid())
                largoLinea = std::snprintf(linea, sizeof linea, "%c %lld %lld\n", kValido,
                                           static_cast<long long>(procesadorUs), static_cast<long long>(memoria));
            else
                largoLinea = std::snprintf(linea, sizeof linea, "%c\n", kInvalido);
        } catch (const std::bad_alloc &) {
            excedido();
        }
        // A limit reached while the line is written ends the child after it, never inside it.
        sigset_t profiler;
        sigemptyset(&profiler);
        sigaddset(&profiler, SIGPROF);
        sigset_t previa;
        ::sigprocmask(SIG_BLOCK, &profiler, &previa);
        escribeTodo(STDOUT_FILENO, linea, size_t(largoLinea));
        ::sigprocmask(SIG_SETMASK, &previa, nullptr);
        datos += size_t(largo) * 2;
    }
    _exit(0);
}
