/* Reads "KEY<TAB>CAPS" lines on standard input: the caps the Matroska demuxer gives a
 * stream of each codec id. Adds the keys the RIFF library maps to caps, which the demuxer
 * uses for wrapped tracks: "FOURCC:" + each FOURCC of a Video for Windows track it knows,
 * "TAG:0x" + four upper-case hex digits for each wFormatTag of an Audio Compression
 * Manager track. Writes, for every element factory of the registry that decodes (parsers
 * decode nothing and are left out) and accepts one of those caps on a sink pad, one line:
 * FACTORY<TAB>LONG NAME<TAB>KLASS<TAB>RANK<TAB>PLUGIN FILE<TAB>PLUGIN VERSION<TAB>KEY|KEY|...
 * (a FOURCC may hold blanks). Factories are written in name order. Templates accepting
 * any caps are ignored.
 * With --riff, writes the keys the RIFF library gives caps for, one "KEY<TAB>CAPS" line each.
 * With --check, reads "LABEL<TAB>CAPS<TAB>CAPS" lines instead and writes the labels whose
 * two caps do not intersect; exits 1 when there is one. */
#include <gst/gst.h>
#include <gst/riff/riff-media.h>
#include <stdio.h>
#include <string.h>

typedef struct {
  char *key;
  GstCaps *caps;
} Entry;

static gboolean decodes(GstElementFactory *factory) {
  const char *klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  return klass && strstr(klass, "Decoder") && !strstr(klass, "Parser") && !strstr(klass, "Depayloader") &&
         !strstr(klass, "Encoder") && !strstr(klass, "Demuxer");
}

static void add_entry(GArray *entries, char *key, GstCaps *caps) {
  Entry e = {key, caps};
  g_array_append_val(entries, e);
}

/* The FOURCCs of printable characters the RIFF library gives caps for (blanks only as the
 * last character: the database's text keeps no leading blank and no run of blanks), and
 * every wFormatTag it gives caps for. */
static void add_riff_entries(GArray *entries) {
  for (int a = 0x21; a < 0x7f; ++a)
    for (int b = 0x20; b < 0x7f; ++b)
      for (int c = 0x20; c < 0x7f; ++c)
        for (int d = 0x20; d < 0x7f; ++d) {
          if (b == ' ' || c == ' ') continue;
          GstCaps *caps = gst_riff_create_video_caps(GST_MAKE_FOURCC(a, b, c, d), NULL, NULL, NULL, NULL, NULL);
          if (caps) add_entry(entries, g_strdup_printf("FOURCC:%c%c%c%c", a, b, c, d), caps);
        }
  for (guint tag = 0; tag <= 0xFFFF; ++tag) {
    GstCaps *caps = gst_riff_create_audio_caps(tag, NULL, NULL, NULL, NULL, NULL, NULL);
    if (caps) add_entry(entries, g_strdup_printf("TAG:0x%04X", tag), caps);
  }
}

static gint by_name(gconstpointer a, gconstpointer b) {
  return strcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(a)), gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(b)));
}

static int check(void) {
  char line[65536];
  int failed = 0;
  while (fgets(line, sizeof line, stdin)) {
    line[strcspn(line, "\r\n")] = '\0';
    char *a = strchr(line, '\t');
    char *b = a ? strchr(a + 1, '\t') : NULL;
    if (!b) continue;
    *a++ = '\0';
    *b++ = '\0';
    GstCaps *ca = gst_caps_from_string(a), *cb = gst_caps_from_string(b);
    if (!ca || !cb || !gst_caps_can_intersect(ca, cb)) {
      printf("%s\n", line);
      failed = 1;
    }
    if (ca) gst_caps_unref(ca);
    if (cb) gst_caps_unref(cb);
  }
  return failed;
}

int main(int argc, char **argv) {
  gst_init(&argc, &argv);
  if (argc > 1 && strcmp(argv[1], "--check") == 0) return check();
  GArray *entries = g_array_new(FALSE, FALSE, sizeof(Entry));
  if (argc > 1 && strcmp(argv[1], "--riff") == 0) {
    add_riff_entries(entries);
    for (guint i = 0; i < entries->len; ++i) {
      const Entry *e = &g_array_index(entries, Entry, i);
      gchar *caps = gst_caps_to_string(e->caps);
      printf("%s\t%s\n", e->key, caps);
      g_free(caps);
    }
    return 0;
  }
  char line[4096];
  while (fgets(line, sizeof line, stdin)) {
    line[strcspn(line, "\r\n")] = '\0';
    char *tab = strchr(line, '\t');
    if (!tab || line[0] == '#') continue;
    *tab = '\0';
    GstCaps *caps = gst_caps_from_string(tab + 1);
    if (!caps) {
      fprintf(stderr, "caps-match: bad caps for %s: %s\n", line, tab + 1);
      return 1;
    }
    add_entry(entries, g_strdup(line), caps);
  }
  add_riff_entries(entries);
  GList *factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
  factories = g_list_sort(factories, by_name);
  for (GList *l = factories; l; l = l->next) {
    GstElementFactory *factory = GST_ELEMENT_FACTORY(l->data);
    if (!decodes(factory)) continue;
    GString *keys = g_string_new(NULL);
    for (guint i = 0; i < entries->len; ++i) {
      const Entry *e = &g_array_index(entries, Entry, i);
      for (const GList *t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
        GstStaticPadTemplate *tmpl = t->data;
        if (tmpl->direction != GST_PAD_SINK) continue;
        GstCaps *caps = gst_static_pad_template_get_caps(tmpl);
        const gboolean match = !gst_caps_is_any(caps) && gst_caps_can_intersect(caps, e->caps);
        gst_caps_unref(caps);
        if (match) {
          g_string_append_printf(keys, "%s%s", keys->len ? "|" : "", e->key);
          break;
        }
      }
    }
    if (keys->len) {
      GstPlugin *plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
      const char *file = plugin ? gst_plugin_get_filename(plugin) : NULL;
      printf("%s\t%s\t%s\t%u\t%s\t%s\t%s\n", gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)),
             gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME),
             gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS),
             gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)), file ? file : "", plugin ? gst_plugin_get_version(plugin) : "", keys->str);
      if (plugin) gst_object_unref(plugin);
    }
    g_string_free(keys, TRUE);
  }
  gst_plugin_feature_list_free(factories);
  return 0;
}
