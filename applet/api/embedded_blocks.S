/* The two blocks the applet carries in its read-write data: the design image and the icon. */
    .section .data
    .balign 64
    .globl kestrel_embedded_design_image
    .hidden kestrel_embedded_design_image
    .type kestrel_embedded_design_image, @object
kestrel_embedded_design_image:
    .incbin KESTREL_DESIGN_IMAGE_PATH
    .size kestrel_embedded_design_image, . - kestrel_embedded_design_image

    .balign 16
    .globl kestrel_embedded_icon
    .hidden kestrel_embedded_icon
    .type kestrel_embedded_icon, @object
kestrel_embedded_icon:
    .incbin KESTREL_ICON_PATH
    .size kestrel_embedded_icon, . - kestrel_embedded_icon

    .section .note.GNU-stack,"",@progbits
