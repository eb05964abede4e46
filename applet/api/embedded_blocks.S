/* The two blocks the applet carries in its read-write data: the design image and the icon.
   ELF objects (Linux) mark them hidden and sized; COFF objects (Windows) know neither directive,
   and there the export file alone decides what leaves the DLL. */
#if defined(__ELF__)
#define KESTREL_BLOCK_BEGIN(name) .globl name; .hidden name; .type name, @object; name:
#define KESTREL_BLOCK_END(name) .size name, . - name
#else
#define KESTREL_BLOCK_BEGIN(name) .globl name; name:
#define KESTREL_BLOCK_END(name)
#endif

    .section .data
    .balign 64
KESTREL_BLOCK_BEGIN(kestrel_embedded_design_image)
    .incbin KESTREL_DESIGN_IMAGE_PATH
KESTREL_BLOCK_END(kestrel_embedded_design_image)

    .balign 16
KESTREL_BLOCK_BEGIN(kestrel_embedded_icon)
    .incbin KESTREL_ICON_PATH
KESTREL_BLOCK_END(kestrel_embedded_icon)

#if defined(__ELF__)
    /* No executable stack. */
    .section .note.GNU-stack,"",@progbits
#endif
