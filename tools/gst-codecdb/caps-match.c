/* Reads "KEY<TAB>CAPS" lines on standard input: the caps the Matroska demuxer gives a
 * stream of each codec id or FOURCC. Writes, for every element factory of the registry
 * that decodes or parses and accepts one of those caps on a sink pad, one line:
 * FACTORY<TAB>LONG NAME<TAB>KLASS<TAB>RANK<TAB>PLUGIN FILE<TAB>PLUGIN VERSION<TAB>KEY KEY ...
 * Factories are written in name order. Templates accepting any caps are ignored.
 * With --check, reads "LABEL<TAB>CAPS<TAB>CAPS" lines instead and writes the labels whose
 * two caps do not intersect; exits 1 when there is one. */
#include <gst/gst.h>
#include <stdio.h>
#include <string.h>

typedef struct {
  char *key;
  GstCaps *caps;
} Entry;

static gboolean decodes_or_parses(GstElementFactory *factory) {
  const char *klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  return klass && (strstr(klass, "Decoder") || strstr(klass, "Parser")) && !strstr(klass, "Depayloader") &&
         !strstr(klass, "Encoder") && !strstr(klass, "Demuxer");
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
  char line[4096];
  while (fgets(line, sizeof line, stdin)) {
    line[strcspn(line, "\r\n")] = '\0';
    char *tab = strchr(line, '\t');
    if (!tab || line[0] == '#') continue;
    *tab = '\0';
    Entry e = {g_strdup(line), gst_caps_from_string(tab + 1)};
    if (!e.caps) {
      fprintf(stderr, "caps-match: bad caps for %s: %s\n", line, tab + 1);
      return 1;
    }
    g_array_append_val(entries, e);
  }
  GList *factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
  factories = g_list_sort(factories, by_name);
  for (GList *l = factories; l; l = l->next) {
    GstElementFactory *factory = GST_ELEMENT_FACTORY(l->data);
    if (!decodes_or_parses(factory)) continue;
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
          g_string_append_printf(keys, "%s%s", keys->len ? " " : "", e->key);
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
