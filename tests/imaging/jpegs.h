#pragma once
// JPEG files made with libjpeg itself, in the shapes the image library's
// writer never makes (restart markers, arithmetic coding, one scan per
// component, optimised tables), libjpeg's own verdict on a file (its
// warnings, counted), and where each scan's entropy-coded data lies.

#include <QByteArray>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <jpeglib.h>
#include <utility>
#include <vector>

namespace jpegs {

struct Opciones {
    bool progresivo = false, aritmetico = false, optimizar = false;
    bool porComponente = false; // sequential, one scan per component
    bool colorJunto = false;    // sequential, Y in one scan, Cb and Cr in another
    bool gris = false;
    int reinicio = 0; // MCUs per restart interval
    int calidad = 90;
    int muestreo[3][2] = {}; // each component's sampling factors; 0: libjpeg's
};

namespace detalle {
struct Errores {
    jpeg_error_mgr pub;
    std::jmp_buf salto;
    int avisos = 0;
};
inline void Salir(j_common_ptr c) { std::longjmp(reinterpret_cast<Errores *>(c->err)->salto, 1); }
inline void Contar(j_common_ptr c) { ++reinterpret_cast<Errores *>(c->err)->avisos; }
} // namespace detalle

// px(x, y) is 0x00RRGGBB; y from the top.
inline QByteArray Codificar(int w, int h, const std::function<uint32_t(int, int)> &px, const Opciones &o = {})
{
    jpeg_compress_struct c;
    detalle::Errores e;
    c.err = jpeg_std_error(&e.pub);
    e.pub.error_exit = detalle::Salir;
    unsigned char *salida = nullptr;
    unsigned long tam = 0;
    std::vector<JSAMPLE> fila(size_t(w) * 3);
    if (setjmp(e.salto)) {
        jpeg_destroy_compress(&c);
        std::free(salida);
        return {};
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &salida, &tam);
    c.image_width = JDIMENSION(w), c.image_height = JDIMENSION(h);
    c.input_components = o.gris ? 1 : 3;
    c.in_color_space = o.gris ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, o.calidad, TRUE);
    c.restart_interval = unsigned(o.reinicio);
    c.arith_code = o.aritmetico;
    c.optimize_coding = o.optimizar;
    for (int i = 0; i < c.num_components; ++i)
        if (o.muestreo[i][0]) c.comp_info[i].h_samp_factor = o.muestreo[i][0], c.comp_info[i].v_samp_factor = o.muestreo[i][1];
    if (o.progresivo) jpeg_simple_progression(&c);
    jpeg_scan_info scans[3];
    if (o.porComponente) {
        for (int i = 0; i < c.num_components; ++i) scans[i] = {1, {i, 0, 0, 0}, 0, 63, 0, 0};
        c.scan_info = scans, c.num_scans = c.num_components;
    }
    if (o.colorJunto) {
        scans[0] = {1, {0, 0, 0, 0}, 0, 63, 0, 0}, scans[1] = {2, {1, 2, 0, 0}, 0, 63, 0, 0};
        c.scan_info = scans, c.num_scans = 2;
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = px(x, y);
            if (o.gris) fila[size_t(x)] = JSAMPLE(v);
            else fila[3 * size_t(x)] = JSAMPLE(v >> 16), fila[3 * size_t(x) + 1] = JSAMPLE(v >> 8), fila[3 * size_t(x) + 2] = JSAMPLE(v);
        }
        JSAMPROW r = fila.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray b(reinterpret_cast<const char *>(salida), qsizetype(tam));
    std::free(salida);
    return b;
}

// How many warnings libjpeg gives decoding the whole file; -1 when it
// stops with an error.
inline int Avisos(const QByteArray &jpg)
{
    jpeg_decompress_struct d;
    detalle::Errores e;
    std::vector<JSAMPLE> fila; // outside the jump's reach
    d.err = jpeg_std_error(&e.pub);
    e.pub.error_exit = detalle::Salir;
    e.pub.output_message = detalle::Contar;
    if (setjmp(e.salto)) {
        jpeg_destroy_decompress(&d);
        return -1;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char *>(jpg.constData()), (unsigned long)jpg.size());
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    fila.resize(size_t(d.output_width) * size_t(d.output_components));
    while (d.output_scanline < d.output_height) {
        JSAMPROW r = fila.data();
        jpeg_read_scanlines(&d, &r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return e.avisos;
}

// Where each scan's entropy-coded data lies: [start, end) in the file.
inline std::vector<std::pair<int, int>> Scans(const QByteArray &j)
{
    std::vector<std::pair<int, int>> s;
    const auto u = [&j](int i) { return int(uint8_t(j[i])); };
    for (int i = 2; i + 3 < j.size();) {
        const int m = u(i + 1);
        if (m == 0xD9) break;
        const int largo = u(i + 2) << 8 | u(i + 3);
        i += 2 + largo;
        if (m != 0xDA) continue;
        const int desde = i;
        while (i + 1 < j.size() && !(u(i) == 0xFF && u(i + 1) != 0 && (u(i + 1) < 0xD0 || u(i + 1) > 0xD7))) ++i;
        s.push_back({desde, i});
    }
    return s;
}

} // namespace jpegs
