#include "bom/bomjson.h"

#include "bom/jsonwriter.h"

namespace kelvaron::bom {

namespace {

QString typeOf(reader::ComponentType type, bool skeleton) {
  return skeleton ? QStringLiteral("skeleton") : QString::fromLatin1(reader::typeName(type));
}

void notesMember(JsonWriter& json, const QStringList& notes) {
  json.key("notes");
  json.array(notes);
}

}  // namespace

void writeTreeJson(const Product& product, int maxDepth, const QStringList& notes, ByteSink& out,
                   PartDataCache* parts) {
  JsonWriter json(out);
  json.beginObject();
  json.key("assembly");
  json.pathOrNull(product.top);
  json.key("root");
  // Rows come in pre-order: each closes the nodes at its level and deeper.
  int open = 0;
  forEachTreeRow(product, maxDepth, [&](const TreeRow& r) {
    for (; open > r.level; --open) {
      json.endArray();
      json.endObject();
    }
    json.beginObject();
    json.key("name");
    json.value(r.name);
    json.key("type");
    json.value(typeOf(r.type, r.skeleton));
    json.key("file");
    json.pathOrNull(r.path);
    if (r.path.isEmpty() && !r.file.isEmpty()) {
      json.key("looked_for");
      json.value(r.file);
    }
    json.key("status");
    json.value(statusName(r.status));
    json.key("quantity");
    json.value(r.quantity);
    json.key("suppressed");
    json.value(r.suppressed);
    if (parts) writePartFields(json, r.path, *parts);
    json.key("children");
    json.beginArray();
    ++open;
    return true;
  });
  if (open == 0) json.null();
  for (; open > 0; --open) {
    json.endArray();
    json.endObject();
  }
  notesMember(json, notes);
  json.endObject();
  json.endDocument();
}

void writeFlatJson(const Product& product, const std::vector<FlatItem>& items, const QStringList& notes,
                   ByteSink& out, PartDataCache* parts) {
  JsonWriter json(out);
  json.beginObject();
  json.key("assembly");
  json.pathOrNull(product.top);
  json.key("items");
  json.beginArray();
  for (const FlatItem& i : items) {
    json.beginObject();
    json.key("name");
    json.value(i.name);
    json.key("type");
    json.value(typeOf(i.type, false));
    json.key("quantity");
    json.value(i.quantity);
    json.key("suppressed");
    json.value(i.suppressed);
    json.key("parents");
    json.value(std::int64_t{i.parents});
    json.key("file");
    json.pathOrNull(i.path);
    if (i.path.isEmpty()) {
      json.key("looked_for");
      json.value(i.file);
    }
    json.key("status");
    json.value(statusName(i.status));
    if (parts) writePartFields(json, i.path, *parts);
    json.endObject();
  }
  json.endArray();
  notesMember(json, notes);
  json.endObject();
  json.endDocument();
}

void writeWhereUsedJson(const QString& name, const std::vector<Usage>& usages, bool indirect, const QStringList& notes,
                        ByteSink& out) {
  JsonWriter json(out);
  json.beginObject();
  json.key("name");
  json.value(name);
  json.key("used_in");
  json.beginArray();
  for (const Usage& u : usages) {
    json.beginObject();
    json.key("assembly");
    json.value(u.assembly);
    json.key("type");
    json.value(u.type);
    json.key("quantity");
    json.value(u.quantity);
    json.key("suppressed");
    json.value(u.suppressed);
    if (indirect) {
      json.key("path");
      json.array(u.path);
      json.key("cycle");
      json.boolean(u.cycle);
    }
    json.endObject();
  }
  json.endArray();
  notesMember(json, notes);
  json.endObject();
  json.endDocument();
}

void writeCheckJson(const CheckResult& result, const QStringList& notes, ByteSink& out) {
  JsonWriter json(out);
  json.beginObject();
  json.key("missing");
  json.beginArray();
  for (const MissingFile& m : result.missing) {
    json.beginObject();
    json.key("file");
    json.value(m.file);
    json.key("name");
    json.value(m.name);
    json.key("type");
    json.value(reader::typeName(m.type));
    json.key("needed_by");
    json.array(m.neededBy);
    json.endObject();
  }
  json.endArray();
  json.key("unreadable");
  json.beginArray();
  for (const UnreadableFile& u : result.unreadable) {
    json.beginObject();
    json.key("file");
    json.value(u.path);
    json.key("reason");
    json.value(u.reason);
    json.endObject();
  }
  json.endArray();
  json.key("cycles");
  json.beginArray();
  for (const QStringList& c : result.cycles) json.array(c);
  json.endArray();
  json.key("unused");
  json.array(result.unused);
  json.key("top");
  json.array(result.top);
  notesMember(json, notes);
  json.endObject();
  json.endDocument();
}

void writeDiffJson(const QString& oldPath, const QString& newPath, const std::vector<ComponentChange>& changes,
                   ByteSink& out) {
  JsonWriter json(out);
  json.beginObject();
  json.key("old");
  json.pathOrNull(indexedPath(oldPath));
  json.key("new");
  json.pathOrNull(indexedPath(newPath));
  for (const auto kind : {ComponentChange::Kind::Added, ComponentChange::Kind::Removed, ComponentChange::Kind::Changed}) {
    json.key(changeName(kind));
    json.beginArray();
    for (const ComponentChange& c : changes) {
      if (c.kind != kind) continue;
      json.beginObject();
      json.key("name");
      json.value(c.name);
      json.key("type");
      json.value(reader::typeName(c.type));
      json.key("old_quantity");
      json.value(c.oldQuantity);
      json.key("new_quantity");
      json.value(c.newQuantity);
      json.key("old_suppressed");
      json.value(c.oldSuppressed);
      json.key("new_suppressed");
      json.value(c.newSuppressed);
      json.endObject();
    }
    json.endArray();
  }
  json.endObject();
  json.endDocument();
}

}  // namespace kelvaron::bom
