/* Loads like libornads.so and exports its four calls, which do nothing here. */
long ADsGetObject(const void* path, const void* iid, void** object) { return (void)path, (void)iid, (void)object, -1; }
long ADsBuildEnumerator(void* container, void** enumerator) { return (void)container, (void)enumerator, -1; }
long ADsEnumerateNext(void* e, unsigned long n, void* v, unsigned long* got) {
  return (void)e, (void)n, (void)v, (void)got, 1;
}
long ADsFreeEnumerator(void* enumerator) { return (void)enumerator, 0; }
